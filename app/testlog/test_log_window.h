// The window "试验记录": the tests and series of the results store, found by name, series,
// material or operator and by date, sorted by any column; any test's results and curve
// opened from its files, its archive checked against the SHA-256 entered with it, and the
// store built again from the data folder. It never touches the run, the card or the main
// window's test, so it works during a test: the store is read on a thread of its own, and
// the window's thread, which runs the sampling tick, never waits for it.
#pragma once

#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <memory>
#include <string>

#include "store/results_store.h"

class CResultsWnd;
class CSeriesWnd;
class CTestLogModel;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTableView;
class QTimer;

// At most this many tests are listed at once; a narrower search finds the others.
constexpr int kTestLogListLimit = 10000;

class CTestLogWnd : public QWidget {
    Q_OBJECT

  public:
    // The store of the data folder (UTF-8, ending in '/').
    CTestLogWnd(const std::string& dataFolderUtf8, QWidget* parent = nullptr);
    ~CTestLogWnd() override;

    // Lists again what the search fields select (also after every change of them).
    void Refresh();
    // Builds the store again from the data folder's files, showing its progress.
    void Reindex();
    // The results window of the selected test, from its files.
    void OpenSelectedResults();
    // The folder of the selected test's files, in the desktop's file manager.
    void OpenSelectedFolder();
    // The series window of the selected test's series.
    void OpenSelectedSeries();
    CSeriesWnd* SeriesWindow() const { return m_seriesWnd; }
    const CTestLogModel* Model() const { return m_model; }
    CResultsWnd* ResultsWindow() const { return m_resultsWnd; }
    // True while a listing or a re-index is on its way.
    bool Busy() const { return m_pending > 0; }

  signals:
    // A listing reached the table (count listed, or -1 when the store failed).
    void Listed(int count);
    void Reindexed();
    void SelectionChecked();

  private:
    TestQuery Query() const;
    void ShowListing(std::vector<TestListing> tests, bool ok, const std::string& message);
    void CheckSelected();

    std::string m_dataFolder;
    // Used only on m_worker's one thread, one call after another.
    ResultsStore m_store;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_byDate = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QTableView* m_table = nullptr;
    CTestLogModel* m_model = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_selected = nullptr;
    QPushButton* m_results = nullptr;
    QPushButton* m_seriesButton = nullptr;
    QPushButton* m_folderButton = nullptr;
    QPushButton* m_reindex = nullptr;
    QProgressDialog* m_progress = nullptr;
    QTimer* m_progressPoll = nullptr;
    CResultsWnd* m_resultsWnd = nullptr;
    CSeriesWnd* m_seriesWnd = nullptr;
    int m_sortColumn = 0;
    bool m_descending = true;
    int m_pending = 0;
    int m_listing = 0;  // the newest listing asked for
    std::atomic<int> m_reindexDone{0}, m_reindexTotal{0};
    // Last: destroyed first, waiting for the worker before the store goes.
    QThreadPool m_worker;
};
