// The extensometer's readout, a small window of its own beside the main window (whose
// layout stays as it is): its reading in big digits with its unit, the strain in % of Le,
// and a line that says when it has been taken off. It is shown while the extensometer is on,
// and while a test that carries it plays back.
#pragma once

#include <QWidget>
#include <string>

class QLabel;
struct ExtensometerSettings;
struct TestRun;

// What the readout shows, from the settings and the run.
struct ExtensometerReadoutFacts {
    bool shown = false;
    bool read = false;     // there is a reading: not taken off, and a record played
    std::string reading;   // in `unit`
    std::string unit;      // "mm" or "%"
    std::string strain;    // % of Le
    bool removed = false;  // taken off before the break
};
// Live, this tick's reading in the settings' unit; in playback, the played record's reading
// in mm over the records' Le.
ExtensometerReadoutFacts ReadoutFactsOf(const ExtensometerSettings& settings, const TestRun& run,
                                        bool playback);

class CExtensometerReadout : public QWidget {
    Q_OBJECT

  public:
    explicit CExtensometerReadout(QWidget* mainWindow);

    // Shows the facts, and the window when they say so and the main window is shown; the
    // first time it is shown it is placed beside the main window, within the screen.
    void ShowFacts(const ExtensometerReadoutFacts& facts);

  private:
    void PlaceBesideMainWindow();

    QWidget* m_mainWindow;
    QLabel* m_reading = nullptr;
    QLabel* m_unit = nullptr;
    QLabel* m_strain = nullptr;
    QLabel* m_removed = nullptr;
    bool m_placed = false;
};
