#include "printing/print_frame.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <ctime>
#include <memory>

#include "common/message_box.h"
#include "printing/report_page.h"
#include "settings/settings_record.h"

namespace {

// Functions, not constants: the texts follow the translators installed at start-up.
QString PrintTitle() {
    return QCoreApplication::translate("PrintFrame", "打印列表");
}
QString PreviewTitle() {
    return QCoreApplication::translate("PrintFrame", "打印预览");
}

// Every page of the report, each on a sheet of its own.
void DrawReportPages(const ReportJob& job, QPainter& painter, QPrinter& printer,
                     const ReportFonts& fonts) {
    for (int page = 1; page <= kReportPages; ++page) {
        if (page > 1) printer.newPage();
        DrawReportJobPage(job, page, painter, printer, fonts);
    }
}

// The three steps of a print job: the fonts are made when it begins and go when it ends.
class CPrintView {
  public:
    CPrintView(const ReportJob& job, QWidget* window) : m_job(job), m_window(window) {}

    void OnBeginPrinting() { m_fonts = CreateReportFonts(); }
    void OnPrint(QPainter& painter, QPrinter& printer) {
        if (!m_fonts) m_fonts = CreateReportFonts();
        DrawReportPages(m_job, painter, printer, *m_fonts);
    }
    // The window comes back to the front with the end of the job.
    void OnEndPrinting() {
        m_fonts.reset();
        if (m_window) m_window->show();
    }

    // The job. A printer that cannot start (an unwritable file, say) draws nothing and is
    // reported.
    void Print(QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer)) {
            ShowMessageBox(m_window,
                           QCoreApplication::translate("PrintFrame", "无法开始打印作业。"),
                           PrintTitle(), QMessageBox::Warning);
            return;
        }
        OnBeginPrinting();
        OnPrint(painter, printer);
        painter.end();
        OnEndPrinting();
    }

  private:
    const ReportJob& m_job;
    QWidget* m_window;
    std::unique_ptr<ReportFonts> m_fonts;
};

// The frame of one print command: hidden while printing; maximised and modal over the
// window while previewing. It carries the window's icon.
class CPrintFrame : public QDialog {
  public:
    CPrintFrame(const ReportJob& job, QWidget* window, const QString& title,
                QWidget* parent = nullptr)
        : QDialog(parent), m_view(job, window) {
        setObjectName(QStringLiteral("CPrintFrame"));
        setWindowTitle(title);
        if (window) setWindowIcon(window->windowIcon());
    }

    CPrintView& View() { return m_view; }

    // Runs the preview until it is closed; true when the operator asked to print.
    bool RunPreview(QPrinter& printer) {
        auto* preview = new QPrintPreviewWidget(&printer, this);
        preview->setObjectName(QStringLiteral("preview"));
        connect(preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* target) {
            QPainter painter(target);
            m_view.OnPrint(painter, *target);
        });
        auto* tools = new QToolBar(this);
        AddTool(tools, QStringLiteral("print"),
                QCoreApplication::translate("PrintFrame", "打印..."), [this] { accept(); });
        AddTool(tools, QStringLiteral("zoomIn"), QCoreApplication::translate("PrintFrame", "放大"),
                [preview] { preview->zoomIn(); });
        AddTool(tools, QStringLiteral("zoomOut"), QCoreApplication::translate("PrintFrame", "缩小"),
                [preview] { preview->zoomOut(); });
        AddTool(tools, QStringLiteral("close"), QCoreApplication::translate("PrintFrame", "关闭"),
                [this] { reject(); });
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(tools);
        layout->addWidget(preview);

        m_previewing = true;
        m_view.OnBeginPrinting();
        setWindowState(windowState() | Qt::WindowMaximized);
        return exec() == QDialog::Accepted;
    }

    // The job ends, and the window is shown again, before the frame goes away, so that the
    // program never finds itself without a visible window.
    void done(int result) override {
        if (m_previewing) {
            m_view.OnEndPrinting();
            m_previewing = false;
        }
        QDialog::done(result);
    }

  private:
    template <typename Slot>
    void AddTool(QToolBar* tools, const QString& name, const QString& text, Slot slot) {
        QAction* action = tools->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
    }

    CPrintView m_view;
    bool m_previewing = false;
};

}  // namespace

void PrintReport(const ReportJob& job, QWidget* window) {
    CPrintFrame frame(job, window, PrintTitle());
    QPrinter printer(QPrinter::HighResolution);
    // The job is named after the test; on a desktop the dialog offers it as the file name.
    printer.setDocName(
        FromGbk(job.settings.g_strTestName).replace(QLatin1Char('/'), QLatin1Char('_')));
    QPrintDialog dialog(&printer, window);
    // The dialog would offer <home>/<document name>.pdf. Its file field is set rather than the
    // printer's file, which would choose the PDF target over the default printer.
    const QString fileName = ReportJobFileName(job, std::time(nullptr));
    QLineEdit* fileField = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!fileName.isEmpty() && fileField) fileField->setText(fileName);
    if (dialog.exec() != QDialog::Accepted) return;
    frame.View().Print(printer);
}

// The preview covers the window instead of hiding it: a main window run by exec() ends its
// event loop when it is hidden, and the program with it.
void PreviewReport(const ReportJob& job, QWidget* window) {
    QPrinter printer(QPrinter::HighResolution);
    bool print = false;
    {
        CPrintFrame frame(job, window, PreviewTitle(), window);
        print = frame.RunPreview(printer);
    }
    if (print) PrintReport(job, window);
}

bool PrintReportToPdf(const ReportJob& job, const QString& pdfPath) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    DrawReportPages(job, painter, printer, *CreateReportFonts());
    painter.end();
    return true;
}
