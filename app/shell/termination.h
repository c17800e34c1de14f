// SIGTERM, SIGINT and SIGHUP reach the window's thread as a Qt signal. The handler only
// writes the signal's number into a pipe, which is all it may safely do; a socket notifier
// reads the pipe in the event loop, so whatever the window is doing (a save among it)
// finishes before the program acts on the signal.
#pragma once

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT

  public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    // Puts back the default handling of the three signals.
    ~CTerminationSignals() override;

  signals:
    void Requested(int signalNumber);

  private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
};
