#include "printing/print_frame.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <ctime>
#include <memory>
#include <string>

#include "../common/modal_answer.h"
#include "run/run_state.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "printing/report_page.h"
#include "printing/results_page.h"
#include "records/archive.h"
#include "results/results_engine.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

// The window a job is printed from, and the test it holds.
struct FakeWindow {
    FakeWindow() { settings.Parse(); }
    ReportJob Job() const { return {settings, run, specimen, archivePath}; }

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen;
    std::string archivePath;
    QWidget window;
};

int PdfPages(const QString& path) {
    QFile pdf(path);
    return pdf.open(QIODevice::ReadOnly) ? static_cast<int>(pdf.readAll().count("/Type /Page\n"))
                                         : -1;
}

QImage BlankPage() {
    QImage page(620, 877, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(75 / 0.0254));
    page.setDotsPerMeterY(qRound(75 / 0.0254));
    page.fill(Qt::white);
    return page;
}

bool IsPrintDialog(QWidget* widget) {
    return qobject_cast<QPrintDialog*>(widget) != nullptr;
}

QWidget* TopLevelTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == title) return widget;
    }
    return nullptr;
}

// Accepts the print dialog with the given output file.
void AcceptPrintDialog(QWidget* modal, const QString& path) {
    modal->findChild<QLineEdit*>(QStringLiteral("filename"))->setText(path);
    qobject_cast<QPrintDialog*>(modal)->accept();
}

bool IsPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == "%PDF";
}

}  // namespace

class PrintFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        m_startDir = QDir::currentPath();
        QVERIFY(m_dir.isValid());
        // The data folder, where the dialog offers the report's file, in a folder of the test.
        QVERIFY(QDir::setCurrent(m_dir.path()));
        AnchorDataFolder();
        std::string error;
        QVERIFY2(EnsureDataFolder(&error), error.c_str());
        m_owner = std::make_unique<FakeWindow>();
        QPixmap icon(16, 16);
        icon.fill(Qt::red);
        m_owner->window.setWindowIcon(QIcon(icon));
        m_owner->window.show();
    }
    void cleanup() {
        m_owner.reset();
        SetMessageBoxHandler({});
        QDir::setCurrent(m_startDir);
    }

    void aCancelledPrintDialogDrawsNothing() {
        bool overOwner = false, frameHidden = false;
        QString offered;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            overOwner = modal->parentWidget() == &m_owner->window;
            QWidget* frame = TopLevelTitled(QStringLiteral("打印列表"));
            frameHidden = frame != nullptr && !frame->isVisible();
            offered = modal->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
            qobject_cast<QPrintDialog*>(modal)->reject();
        });
        PrintReport(m_owner->Job(), &m_owner->window);
        QVERIFY(overOwner);
        QVERIFY(frameHidden);
        QVERIFY(!offered.isEmpty());
        QVERIFY(!QFile::exists(offered));
        QVERIFY(m_owner->window.isVisible());
        QCOMPARE(TopLevelTitled(QStringLiteral("打印列表")), nullptr);
    }

    // Both pages, each on a sheet of its own, at the printer's high resolution.
    void anAcceptedPrintWritesBothPages() {
        const QString path = m_dir.filePath(QStringLiteral("report.pdf"));
        QString docName;
        int resolution = 0;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            docName = qobject_cast<QPrintDialog*>(modal)->printer()->docName();
            resolution = qobject_cast<QPrintDialog*>(modal)->printer()->resolution();
            AcceptPrintDialog(modal, path);
        });
        PrintReport(m_owner->Job(), &m_owner->window);
        QCOMPARE(docName, QStringLiteral("Dranvik"));
        QCOMPARE(resolution, 1200);
        QVERIFY(IsPdf(path));
        QCOMPARE(PdfPages(path), kReportPages);
    }

    // The dialog offers the PDF file named after the test's archive or, for a test not
    // saved, after the test and the time the dialog opens; an accepted dialog prints into it.
    void theDialogOffersTheTestsFile() {
        const std::string data = DataFolderPath();
        m_owner->archivePath = "/elsewhere/Dranvik2025-03-07-14-05-09-2.dat";
        QString offered;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            offered = modal->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
            qobject_cast<QPrintDialog*>(modal)->accept();
        });
        PrintReport(m_owner->Job(), &m_owner->window);
        QCOMPARE(offered, QString::fromStdString(data + "Dranvik2025-03-07-14-05-09-2.pdf"));
        QVERIFY(IsPdf(offered));

        m_owner->archivePath.clear();
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            offered = modal->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
            qobject_cast<QPrintDialog*>(modal)->reject();
        });
        const std::time_t before = std::time(nullptr);
        PrintReport(m_owner->Job(), &m_owner->window);
        const std::time_t after = std::time(nullptr);
        QStringList expected;
        for (std::time_t when = before; when <= after; ++when)
            expected << QString::fromStdString(ReportPdfPath("Dranvik", "", when));
        QVERIFY2(expected.contains(offered), qPrintable(offered));
    }

    // The preview shows both pages.
    void everyPageOfTheReportPreviews() {
        int previewPages = 0;
        AnswerModal(Titled(QStringLiteral("打印预览")), [&](QWidget* modal) {
            auto* preview = modal->findChild<QPrintPreviewWidget*>(QStringLiteral("preview"));
            QTRY_VERIFY_WITH_TIMEOUT(preview->pageCount() > 0, 5000);
            previewPages = preview->pageCount();
            modal->close();
        });
        PreviewReport(m_owner->Job(), &m_owner->window);
        QCOMPARE(previewPages, kReportPages);
    }

    // Page 1 is drawn from the record tables and the settings; page 2 from the results of
    // the test with the job's specimen, under the test's operator (GBK in the run).
    void theJobsPagesShowItsTest() {
        m_owner->run.g_strStartTime = "2025-03-07-14:05:09";
        m_owner->run.g_strOperator = Utf8ToGbk("吴 Tolvane");
        m_owner->run.g_nRecordCount = 3;
        for (int i = 1; i <= 3; ++i) {
            m_owner->run.g_strRecord0[i] = "010.000";
            m_owner->run.g_strRecord1[i] = "00" + std::to_string(i) + ".000";
        }
        m_owner->specimen = {12.5, 50.0};
        const auto fonts = CreateReportFonts();
        auto draw = [&](auto&& drawing) {
            QImage page = BlankPage();
            {
                QPainter painter(&page);
                drawing(painter, page);
            }
            return page;
        };
        const ReportJob job = m_owner->Job();
        const QImage first =
            draw([&](QPainter& p, QImage& page) { DrawReportJobPage(job, 1, p, page, *fonts); });
        const QImage second =
            draw([&](QPainter& p, QImage& page) { DrawReportJobPage(job, 2, p, page, *fonts); });
        QCOMPARE(first, draw([&](QPainter& p, QImage& page) {
                     DrawReportPage(m_owner->settings, m_owner->run, p, page, *fonts);
                 }));
        QCOMPARE(second, draw([&](QPainter& p, QImage& page) {
                     DrawResultsPage(
                         p, page, *fonts,
                         ResultsOfCurrentTest(m_owner->settings, m_owner->run, m_owner->specimen),
                         "吴 Tolvane");
                 }));
        QVERIFY(first != second);
    }

    void aPrinterThatCannotStartIsReported() {
        QStringList messages;
        SetMessageBoxHandler([&](const QString& text, const QString&) { messages << text; });
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            AcceptPrintDialog(modal, m_dir.filePath(QStringLiteral("missing/report.pdf")));
        });
        PrintReport(m_owner->Job(), &m_owner->window);
        QCOMPARE(messages, QStringList{QStringLiteral("无法开始打印作业。")});
        QVERIFY(m_owner->window.isVisible());
    }

    void previewCoversTheOwnerUntilItCloses() {
        bool seen = false, ownerShown = false, overOwner = false, maximised = false,
             sameIcon = false;
        AnswerModal(Titled(QStringLiteral("打印预览")), [&](QWidget* modal) {
            seen = true;
            ownerShown = m_owner->window.isVisible();
            overOwner = modal->parentWidget() == &m_owner->window && modal->isModal();
            maximised = modal->isMaximized();
            sameIcon = modal->windowIcon().cacheKey() == m_owner->window.windowIcon().cacheKey();
            modal->close();
        });
        PreviewReport(m_owner->Job(), &m_owner->window);
        QVERIFY(seen);
        QVERIFY(ownerShown);
        QVERIFY(overOwner);
        QVERIFY(maximised);
        QVERIFY(sameIcon);
        QVERIFY(m_owner->window.isVisible());
        QCOMPARE(TopLevelTitled(QStringLiteral("打印预览")), nullptr);
    }

    // The preview is gone, and the window shown, before the print dialog of the new job
    // opens.
    void printingFromThePreviewStartsItsOwnJob() {
        const QString path = m_dir.filePath(QStringLiteral("from-preview.pdf"));
        bool previewGone = false, ownerShownForPrint = false, printFrameHidden = false;
        AnswerModal(Titled(QStringLiteral("打印预览")), [&](QWidget* modal) {
            AnswerModal(IsPrintDialog, [&](QWidget* dialog) {
                previewGone = TopLevelTitled(QStringLiteral("打印预览")) == nullptr;
                ownerShownForPrint = m_owner->window.isVisible();
                QWidget* frame = TopLevelTitled(QStringLiteral("打印列表"));
                printFrameHidden = frame != nullptr && !frame->isVisible();
                AcceptPrintDialog(dialog, path);
            });
            modal->findChild<QAction*>(QStringLiteral("print"))->trigger();
        });
        PreviewReport(m_owner->Job(), &m_owner->window);
        QVERIFY(previewGone);
        QVERIFY(ownerShownForPrint);
        QVERIFY(printFrameHidden);
        QCOMPARE(PdfPages(path), kReportPages);
    }

  private:
    std::unique_ptr<FakeWindow> m_owner;
    QTemporaryDir m_dir;
    QString m_startDir;
};

QTEST_MAIN(PrintFrameTest)
#include "print_frame_test.moc"
