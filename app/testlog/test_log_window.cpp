#include "testlog/test_log_window.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "common/message_box.h"
#include "records/saved_test.h"
#include "records/store_entry.h"
#include "results/results_window.h"
#include "series/series_window.h"
#include "testlog/test_log_model.h"

namespace {

const char kCaption[] = QT_TRANSLATE_NOOP("CTestLogWnd", "试验记录");

}  // namespace

CTestLogWnd::CTestLogWnd(const std::string& dataFolderUtf8, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dataFolder(dataFolderUtf8) {
    setWindowTitle(tr(kCaption));
    m_worker.setMaxThreadCount(1);

    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(tr("试验名称、系列、材料或操作者"));
    filters->addWidget(new QLabel(tr("查找")));
    filters->addWidget(m_search, 1);
    m_byDate = new QCheckBox(tr("保存日期"));
    m_byDate->setObjectName(QStringLiteral("byDate"));
    m_from = new QDateEdit(QDate::currentDate().addMonths(-1));
    m_from->setObjectName(QStringLiteral("from"));
    m_to = new QDateEdit(QDate::currentDate());
    m_to->setObjectName(QStringLiteral("to"));
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
    }
    filters->addWidget(m_byDate);
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(tr("至")));
    filters->addWidget(m_to);
    layout->addLayout(filters);

    m_model = new CTestLogModel(this);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("tests"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    m_table->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    m_selected = new QLabel;
    m_selected->setObjectName(QStringLiteral("selected"));
    m_selected->setWordWrap(true);
    layout->addWidget(m_selected);
    auto* buttons = new QHBoxLayout;
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("count"));
    buttons->addWidget(m_count, 1);
    m_results = new QPushButton(tr("试验结果"));
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setEnabled(false);
    m_seriesButton = new QPushButton(tr("系列结果"));
    m_seriesButton->setObjectName(QStringLiteral("series"));
    m_seriesButton->setEnabled(false);
    m_folderButton = new QPushButton(tr("打开所在文件夹"));
    m_folderButton->setObjectName(QStringLiteral("folder"));
    m_folderButton->setEnabled(false);
    m_reindex = new QPushButton(tr("重建索引"));
    m_reindex->setObjectName(QStringLiteral("reindex"));
    buttons->addWidget(m_results);
    buttons->addWidget(m_seriesButton);
    buttons->addWidget(m_folderButton);
    buttons->addWidget(m_reindex);
    layout->addLayout(buttons);
    resize(900, 560);

    connect(m_search, &QLineEdit::textChanged, this, &CTestLogWnd::Refresh);
    connect(m_byDate, &QCheckBox::toggled, this, &CTestLogWnd::Refresh);
    connect(m_from, &QDateEdit::dateChanged, this, &CTestLogWnd::Refresh);
    connect(m_to, &QDateEdit::dateChanged, this, &CTestLogWnd::Refresh);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_descending = column == m_sortColumn ? !m_descending : column == 0;
        m_sortColumn = column;
        m_table->horizontalHeader()->setSortIndicator(
            column, m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        Refresh();
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CTestLogWnd::CheckSelected);
    connect(m_table, &QTableView::doubleClicked, this, &CTestLogWnd::OpenSelectedResults);
    connect(m_results, &QPushButton::clicked, this, &CTestLogWnd::OpenSelectedResults);
    connect(m_seriesButton, &QPushButton::clicked, this, &CTestLogWnd::OpenSelectedSeries);
    connect(m_folderButton, &QPushButton::clicked, this, &CTestLogWnd::OpenSelectedFolder);
    connect(m_reindex, &QPushButton::clicked, this, &CTestLogWnd::Reindex);

    ++m_pending;
    const std::string path = ResultsStorePath(m_dataFolder);
    m_worker.start([this, path] {
        std::string message;
        const bool opened = m_store.Open(path, &message);
        QMetaObject::invokeMethod(this, [this, opened, message] {
            --m_pending;
            if (!message.empty()) ShowNotice(this, QString::fromStdString(message), tr(kCaption));
            if (opened) Refresh();
        });
    });
}

CTestLogWnd::~CTestLogWnd() {
    m_worker.waitForDone();
}

TestQuery CTestLogWnd::Query() const {
    TestQuery query;
    query.text = m_search->text().trimmed().toStdString();
    if (m_byDate->isChecked()) {
        query.savedFrom = m_from->date().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
        query.savedBefore =
            m_to->date().addDays(1).toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    }
    query.sortBy = CTestLogModel::SortColumnOf(m_sortColumn);
    query.descending = m_descending;
    query.limit = kTestLogListLimit;
    return query;
}

void CTestLogWnd::Refresh() {
    ++m_pending;
    const int listing = ++m_listing;
    const TestQuery query = Query();
    m_worker.start([this, query, listing] {
        std::vector<TestListing> tests;
        std::string message;
        const bool ok = m_store.ListTests(query, &tests, &message);
        QMetaObject::invokeMethod(this,
                                  [this, tests = std::move(tests), ok, message, listing]() mutable {
                                      --m_pending;
                                      // Only the newest query's answer stands; older ones on their
                                      // way are dropped.
                                      if (listing == m_listing)
                                          ShowListing(std::move(tests), ok, message);
                                  });
    });
}

void CTestLogWnd::ShowListing(std::vector<TestListing> tests, bool ok, const std::string& message) {
    if (!ok) {
        m_count->setText(tr("试验记录库无法读取：") + QString::fromStdString(message));
        emit Listed(-1);
        return;
    }
    const int count = static_cast<int>(tests.size());
    m_model->SetTests(std::move(tests));
    m_count->setText(count >= kTestLogListLimit ? tr("列出最新的 %1 条，请缩小查找范围").arg(count)
                                                : tr("共 %1 条").arg(count));
    m_results->setEnabled(false);
    m_seriesButton->setEnabled(false);
    m_folderButton->setEnabled(false);
    m_selected->clear();
    emit Listed(count);
}

void CTestLogWnd::CheckSelected() {
    const TestListing* test = m_model->TestAt(m_table->currentIndex().row());
    m_results->setEnabled(test != nullptr);
    m_seriesButton->setEnabled(test != nullptr && !test->series.empty());
    m_folderButton->setEnabled(test != nullptr);
    if (test == nullptr) return;
    const TestListing chosen = *test;
    m_selected->setText(QString::fromStdString(chosen.archiveName));
    ++m_pending;
    m_worker.start([this, chosen] {
        std::string message;
        StoredTest entered;
        const bool matches = m_store.ReadTest(chosen.archiveName, &entered, &message) &&
                             m_store.ArchiveMatches(entered, &message);
        QMetaObject::invokeMethod(this, [this, chosen, matches, message] {
            --m_pending;
            const TestListing* now = m_model->TestAt(m_table->currentIndex().row());
            if (now == nullptr || now->archiveName != chosen.archiveName) return;
            QString text = QString::fromStdString(chosen.archiveName);
            if (!matches)
                text += tr("：存档与登记时不符（SHA-256 不同或无法读取）") +
                        (message.empty() ? QString() : tr("，") + QString::fromStdString(message));
            m_selected->setText(text);
            m_selected->setStyleSheet(matches ? QString() : QStringLiteral("color: #c00000"));
            emit SelectionChecked();
        });
    });
}

void CTestLogWnd::OpenSelectedResults() {
    const TestListing* test = m_model->TestAt(m_table->currentIndex().row());
    if (test == nullptr) return;
    SavedTest saved;
    std::string error;
    if (!LoadSavedTest(m_dataFolder + test->archiveName, SpecimenDims{}, &saved, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), tr(kCaption));
        return;
    }
    if (m_resultsWnd == nullptr) m_resultsWnd = new CResultsWnd(this);
    m_resultsWnd->ShowResults(saved.set, saved.operatorName);
}

void CTestLogWnd::OpenSelectedFolder() {
    // Every file of a test lies in the data folder, beside its archive.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(m_dataFolder)));
}

void CTestLogWnd::OpenSelectedSeries() {
    const TestListing* test = m_model->TestAt(m_table->currentIndex().row());
    if (test == nullptr || test->series.empty()) return;
    delete m_seriesWnd;
    m_seriesWnd = new CSeriesWnd(m_dataFolder, test->series, this);
    m_seriesWnd->show();
}

void CTestLogWnd::Reindex() {
    m_reindex->setEnabled(false);
    m_reindexDone = 0;
    m_reindexTotal = 0;
    m_progress = new QProgressDialog(tr("正在从数据文件夹重建试验记录库……"), QString(), 0, 0, this);
    m_progress->setWindowTitle(tr(kCaption));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progressPoll = new QTimer(m_progress);
    connect(m_progressPoll, &QTimer::timeout, this, [this] {
        m_progress->setMaximum(m_reindexTotal);
        m_progress->setValue(m_reindexDone);
    });
    m_progressPoll->start(100);
    ++m_pending;
    const std::string folder = m_dataFolder;
    m_worker.start([this, folder] {
        ReindexReport report;
        ReindexDataFolder(
            folder, ResultsStorePath(folder),
            [this](int done, int total) {
                m_reindexTotal = total;
                m_reindexDone = done;
            },
            &report);
        QMetaObject::invokeMethod(this, [this, report] {
            --m_pending;
            m_progress->deleteLater();
            m_progress = nullptr;
            m_reindex->setEnabled(true);
            QString text = report.failure.empty() ? tr("已登记 %1 个试验、%2 个系列。")
                                                        .arg(report.entered)
                                                        .arg(report.seriesEntered)
                                                  : tr("试验记录库没有重建：") +
                                                        QString::fromStdString(report.failure);
            if (!report.refused.empty()) {
                text += tr("\n未能登记 %1 个文件：").arg(report.refused.size());
                for (const std::string& line : report.refused)
                    text += QStringLiteral("\n") + QString::fromStdString(line);
            }
            if (!report.notice.empty())
                text += QStringLiteral("\n") + QString::fromStdString(report.notice);
            ShowNotice(this, text, tr(kCaption));
            Refresh();
            emit Reindexed();
        });
    });
}
