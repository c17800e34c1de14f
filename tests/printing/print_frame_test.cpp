#include "printing/print_frame.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "../common/modal_answer.h"
#include "acquisition/run_state.h"
#include "common/message_box.h"
#include "printing/report_page.h"
#include "settings/settings_record.h"

namespace {

// Stands in for the main window: creates the fonts when a job begins, draws the page, and
// deletes them when the job ends, counting every callback.
class FakeOwner : public ReportOwner {
  public:
    FakeOwner() { settings.Parse(); }
    QWidget* ReportWindow() override { return &window; }
    void OnReportBeginPrinting(QPrinter& printer) override {
        ++begins;
        carriedOver |= fonts != nullptr;
        highResolution &= printer.resolution() == 1200;
        fonts = CreateReportFonts();
    }
    int ReportPageCount() override { return pageCount; }
    void OnReportPrintPage(QPainter& painter, QPrinter& printer, int page) override {
        ++pages;
        drawn.push_back(page);
        withoutFonts += fonts == nullptr;
        if (fonts) DrawReportPage(settings, run, painter, printer, *fonts);
    }
    void OnReportEndPrinting(QPrinter&) override {
        ++ends;
        fonts.reset();
    }
    QString ReportFileName() override { return fileName; }

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    QWidget window;
    std::unique_ptr<ReportFonts> fonts;
    int pageCount = 1;
    QString fileName;
    std::vector<int> drawn;
    int begins = 0, pages = 0, ends = 0, withoutFonts = 0;
    bool carriedOver = false, highResolution = true;
};

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
        m_owner = std::make_unique<FakeOwner>();
        QPixmap icon(16, 16);
        icon.fill(Qt::red);
        m_owner->window.setWindowIcon(QIcon(icon));
        m_owner->window.show();
        QVERIFY(m_dir.isValid());
    }
    void cleanup() {
        m_owner.reset();
        SetMessageBoxHandler({});
    }

    void aCancelledPrintDialogDrawsNothing() {
        bool overOwner = false, frameHidden = false;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            overOwner = modal->parentWidget() == &m_owner->window;
            QWidget* frame = TopLevelTitled(QStringLiteral("打印列表"));
            frameHidden = frame != nullptr && !frame->isVisible();
            qobject_cast<QPrintDialog*>(modal)->reject();
        });
        PrintReport(m_owner->settings, *m_owner);
        QVERIFY(overOwner);
        QVERIFY(frameHidden);
        QCOMPARE(m_owner->begins + m_owner->pages + m_owner->ends, 0);
        QVERIFY(m_owner->window.isVisible());
        QCOMPARE(TopLevelTitled(QStringLiteral("打印列表")), nullptr);
    }

    void anAcceptedPrintWritesOnePage() {
        const QString path = m_dir.filePath(QStringLiteral("report.pdf"));
        QString docName;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            docName = qobject_cast<QPrintDialog*>(modal)->printer()->docName();
            AcceptPrintDialog(modal, path);
        });
        PrintReport(m_owner->settings, *m_owner);
        QCOMPARE(docName, QStringLiteral("Dranvik"));
        QCOMPARE(m_owner->begins, 1);
        QCOMPARE(m_owner->pages, 1);
        QCOMPARE(m_owner->ends, 1);
        QVERIFY(m_owner->highResolution);
        QVERIFY(IsPdf(path));
    }

    // The owner's file is what the dialog offers, and what an accepted dialog prints into.
    void theDialogOffersTheOwnersFile() {
        m_owner->fileName = m_dir.filePath(QStringLiteral("Dranvik2025-03-07-14-05-09.pdf"));
        QString offered;
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            offered = modal->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
            qobject_cast<QPrintDialog*>(modal)->accept();
        });
        PrintReport(m_owner->settings, *m_owner);
        QCOMPARE(offered, m_owner->fileName);
        QVERIFY(IsPdf(m_owner->fileName));
    }

    // A report of two pages prints both, each on its own sheet, and the preview shows both.
    void everyPageOfTheReportPrintsAndPreviews() {
        m_owner->pageCount = 2;
        const QString path = m_dir.filePath(QStringLiteral("two.pdf"));
        AnswerModal(IsPrintDialog, [&](QWidget* modal) { AcceptPrintDialog(modal, path); });
        PrintReport(m_owner->settings, *m_owner);
        QCOMPARE(m_owner->drawn, (std::vector<int>{1, 2}));
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.readAll().count("/Type /Page\n"), 2);

        int previewPages = 0;
        AnswerModal(
            [&](QWidget* modal) {
                return modal->windowTitle() == QStringLiteral("打印预览") && m_owner->pages > 2;
            },
            [&](QWidget* modal) {
                previewPages =
                    modal->findChild<QPrintPreviewWidget*>(QStringLiteral("preview"))->pageCount();
                modal->close();
            });
        PreviewReport(m_owner->settings, *m_owner);
        QCOMPARE(previewPages, 2);
    }

    void aPrinterThatCannotStartIsReported() {
        QStringList messages;
        SetMessageBoxHandler([&](const QString& text, const QString&) { messages << text; });
        AnswerModal(IsPrintDialog, [&](QWidget* modal) {
            AcceptPrintDialog(modal, m_dir.filePath(QStringLiteral("missing/report.pdf")));
        });
        PrintReport(m_owner->settings, *m_owner);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(m_owner->begins + m_owner->pages + m_owner->ends, 0);
    }

    void previewCoversTheOwnerUntilItCloses() {
        bool ownerShown = false, overOwner = false, maximised = false, sameIcon = false;
        AnswerModal(
            [&](QWidget* modal) {
                return modal->windowTitle() == QStringLiteral("打印预览") && m_owner->pages > 0;
            },
            [&](QWidget* modal) {
                ownerShown = m_owner->window.isVisible();
                overOwner = modal->parentWidget() == &m_owner->window && modal->isModal();
                maximised = modal->isMaximized();
                sameIcon =
                    modal->windowIcon().cacheKey() == m_owner->window.windowIcon().cacheKey();
                modal->close();
            });
        PreviewReport(m_owner->settings, *m_owner);
        QVERIFY(ownerShown);
        QVERIFY(overOwner);
        QVERIFY(maximised);
        QVERIFY(sameIcon);
        QCOMPARE(m_owner->begins, 1);
        QVERIFY(m_owner->pages >= 1);
        QCOMPARE(m_owner->withoutFonts, 0);
        QCOMPARE(m_owner->ends, 1);
        QVERIFY(m_owner->highResolution);
        QVERIFY(m_owner->window.isVisible());
        QCOMPARE(TopLevelTitled(QStringLiteral("打印预览")), nullptr);
    }

    void printingFromThePreviewStartsItsOwnJob() {
        const QString path = m_dir.filePath(QStringLiteral("from-preview.pdf"));
        int endsBeforePrint = -1;
        bool ownerShownForPrint = false, printFrameHidden = false;
        AnswerModal(
            [&](QWidget* modal) {
                return modal->windowTitle() == QStringLiteral("打印预览") && m_owner->pages > 0;
            },
            [&](QWidget* modal) {
                AnswerModal(IsPrintDialog, [&](QWidget* dialog) {
                    endsBeforePrint = m_owner->ends;
                    ownerShownForPrint = m_owner->window.isVisible();
                    QWidget* frame = TopLevelTitled(QStringLiteral("打印列表"));
                    printFrameHidden = frame != nullptr && !frame->isVisible();
                    AcceptPrintDialog(dialog, path);
                });
                modal->findChild<QAction*>(QStringLiteral("print"))->trigger();
            });
        PreviewReport(m_owner->settings, *m_owner);
        QCOMPARE(endsBeforePrint, 1);
        QVERIFY(ownerShownForPrint);
        QVERIFY(printFrameHidden);
        QCOMPARE(m_owner->begins, 2);
        QCOMPARE(m_owner->ends, 2);
        QVERIFY(!m_owner->carriedOver);
        QCOMPARE(m_owner->withoutFonts, 0);
        QVERIFY(IsPdf(path));
    }

  private:
    std::unique_ptr<FakeOwner> m_owner;
    QTemporaryDir m_dir;
};

QTEST_MAIN(PrintFrameTest)
#include "print_frame_test.moc"
