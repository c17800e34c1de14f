// The series window "系列试验": the series' data, the table of its specimens with the
// statistics rows, and the overlay of their curves with a check box per specimen. It reads
// the data folder only: the run, the card and the main window are not its business.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "records/series_file.h"
#include "series/series_overlay.h"
#include "series/series_tests.h"

class CSeriesOverlayCtrl;
class QLabel;
class QSplitter;
class QTableWidget;
class QVBoxLayout;

class CSeriesWnd : public QDialog {
    Q_OBJECT

  public:
    // `dataFolderUtf8` ends in '/'. The series is read at once.
    CSeriesWnd(std::string dataFolderUtf8, std::string seriesUtf8, QWidget* parent = nullptr);

    // A specimen of the series was saved or marked invalid: the series is read again from the
    // folder, and the table, the statistics and the overlay follow. A curve hidden before
    // stays hidden.
    void SpecimenChanged();

    const std::string& SeriesName() const { return m_series; }
    const SeriesInfo& Info() const { return m_info; }
    const SeriesTable& Table() const { return m_table; }
    const SeriesOverlay& Overlay() const { return m_overlay; }
    const std::vector<bool>& Shown() const { return m_shown; }
    // Shows or hides a specimen's curve, as its check box does.
    void SetCurveShown(int curve, bool shown);

    // The buttons' work once a file is chosen; false with a message box on failure.
    bool ExportImage(const QString& path);
    bool SaveTables();
    bool ExportPdf(const QString& path);

  private:
    void Reload();
    void FillInfo();
    void FillTable();
    void FillLegend();
    void OnExportImage();
    void OnPrint();
    void OnExportPdf();
    void Fail(const QString& message);

    std::string m_folder, m_series;
    SeriesInfo m_info;
    SeriesTests m_tests;
    SeriesTable m_table;
    SeriesOverlay m_overlay;
    std::vector<bool> m_shown;
    std::vector<std::string> m_hidden;  // specimens whose curve the operator hid

    QLabel* m_infoLabel = nullptr;
    QLabel* m_problems = nullptr;
    QTableWidget* m_tableWidget = nullptr;
    QSplitter* m_splitter = nullptr;
    CSeriesOverlayCtrl* m_chart = nullptr;
    QVBoxLayout* m_legend = nullptr;
};
