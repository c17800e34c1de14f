#include "printing/print_frame.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/message_box.h"
#include "settings/settings_record.h"

namespace {

const QString kPrintTitle = QStringLiteral("打印列表");
const QString kPreviewTitle = QStringLiteral("打印预览");

// Forwards the three callbacks of a print job to the window that draws the report.
class CPrintView {
  public:
    explicit CPrintView(ReportOwner& owner) : m_owner(owner) {}

    void OnBeginPrinting(QPrinter& printer) { m_owner.OnReportBeginPrinting(printer); }
    // Every page of the report, each on a sheet of its own.
    void OnPrint(QPainter& painter, QPrinter& printer) {
        const int pages = m_owner.ReportPageCount();
        for (int page = 1; page <= pages; ++page) {
            if (page > 1) printer.newPage();
            m_owner.OnReportPrintPage(painter, printer, page);
        }
    }
    // The owner's window comes back to the front with the end of the job.
    void OnEndPrinting(QPrinter& printer) {
        m_owner.OnReportEndPrinting(printer);
        if (QWidget* window = m_owner.ReportWindow()) window->show();
    }

    // The job. A printer that cannot start (an unwritable file, say) sends no
    // callback and is reported.
    void Print(QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer)) {
            ShowMessageBox(m_owner.ReportWindow(), QStringLiteral("无法开始打印作业。"),
                           kPrintTitle, QMessageBox::Warning);
            return;
        }
        OnBeginPrinting(printer);
        OnPrint(painter, printer);
        painter.end();
        OnEndPrinting(printer);
    }

  private:
    ReportOwner& m_owner;
};

// The frame of one print command: hidden while printing; maximised and modal over the
// owner's window while previewing. It carries the owner's icon.
class CPrintFrame : public QDialog {
  public:
    CPrintFrame(ReportOwner& owner, const QString& title, QWidget* parent = nullptr)
        : QDialog(parent), m_view(owner) {
        setObjectName(QStringLiteral("CPrintFrame"));
        setWindowTitle(title);
        if (QWidget* window = owner.ReportWindow()) setWindowIcon(window->windowIcon());
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
        AddTool(tools, QStringLiteral("print"), QStringLiteral("打印..."), [this] { accept(); });
        AddTool(tools, QStringLiteral("zoomIn"), QStringLiteral("放大"),
                [preview] { preview->zoomIn(); });
        AddTool(tools, QStringLiteral("zoomOut"), QStringLiteral("缩小"),
                [preview] { preview->zoomOut(); });
        AddTool(tools, QStringLiteral("close"), QStringLiteral("关闭"), [this] { reject(); });
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(tools);
        layout->addWidget(preview);

        m_printer = &printer;
        m_view.OnBeginPrinting(printer);
        setWindowState(windowState() | Qt::WindowMaximized);
        return exec() == QDialog::Accepted;
    }

    // The job ends, and the owner's window is shown again, before the frame goes away, so
    // that the program never finds itself without a visible window.
    void done(int result) override {
        if (m_printer != nullptr) {
            m_view.OnEndPrinting(*m_printer);
            m_printer = nullptr;
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
    QPrinter* m_printer = nullptr;
};

}  // namespace

void PrintReport(const Settings& settings, ReportOwner& owner) {
    CPrintFrame frame(owner, kPrintTitle);
    QPrinter printer(QPrinter::HighResolution);
    // The job is named after the test; on a desktop the dialog offers it as the file name.
    printer.setDocName(FromGbk(settings.g_strTestName).replace(QLatin1Char('/'), QLatin1Char('_')));
    QPrintDialog dialog(&printer, owner.ReportWindow());
    // The dialog would offer <home>/<document name>.pdf. Its file field is set rather than the
    // printer's file, which would choose the PDF target over the default printer.
    const QString fileName = owner.ReportFileName();
    QLineEdit* fileField = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!fileName.isEmpty() && fileField) fileField->setText(fileName);
    if (dialog.exec() != QDialog::Accepted) return;
    frame.View().Print(printer);
}

// The preview covers the owner's window instead of hiding it: a main window run by exec()
// ends its event loop when it is hidden, and the program with it.
void PreviewReport(const Settings& settings, ReportOwner& owner) {
    QPrinter printer(QPrinter::HighResolution);
    bool print = false;
    {
        CPrintFrame frame(owner, kPreviewTitle, owner.ReportWindow());
        print = frame.RunPreview(printer);
    }
    if (print) PrintReport(settings, owner);
}
