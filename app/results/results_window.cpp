#include "results/results_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/message_box.h"
#include "common/screen_fit.h"
#include "printing/report_page.h"
#include "printing/results_page.h"
#include "results/force_curve.h"
#include "results/result_translation.h"

CResultsWnd::CResultsWnd(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("results"));
    setWindowTitle(tr("试验结果"));
    if (parent != nullptr) setWindowIcon(parent->windowIcon());

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setHorizontalHeaderLabels({tr("项目"), tr("数值"), tr("单位")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_breakNote = new QLabel(this);
    m_breakNote->setObjectName(QStringLiteral("breakNote"));
    m_breakNote->setWordWrap(true);
    m_curve = new CForceCurveCtrl(this);
    m_curve->setObjectName(QStringLiteral("curve"));
    m_curve->SetResults(&m_set);

    auto* print = new QPushButton(tr("打印"), this);
    print->setObjectName(QStringLiteral("print"));
    auto* close = new QPushButton(tr("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(print, &QPushButton::clicked, this, &CResultsWnd::OnPrint);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* left = new QVBoxLayout;
    left->addWidget(m_table, 1);
    left->addWidget(m_breakNote);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(print);
    buttons->addWidget(close);
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(m_curve, 1);
    resize(960, 540);
}

void CResultsWnd::ShowResults(ResultSet set, std::string operatorUtf8) {
    m_set = std::move(set);
    m_operator = std::move(operatorUtf8);
    const std::vector<ResultLine> lines = ResultLines(m_set, m_operator);
    m_table->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const QString texts[] = {lines[row].name, lines[row].value, lines[row].unit};
        for (int col = 0; col < 3; ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            if (col == 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, col, item);
        }
    }
    // The table is as wide as its columns, so that 单位 never hides behind a scroll bar.
    int width = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    const QAbstractItemView* view = m_table;
    for (int col = 0; col < 3; ++col) {
        width += std::max(view->sizeHintForColumn(col),
                          m_table->horizontalHeader()->sectionSizeHint(col));
    }
    m_table->setMinimumWidth(width);
    QStringList notes = {BreakNote(m_set.results)};
    for (const std::string& note : ResultNotes(m_set)) notes << TranslatedResultText(note);
    notes << SpecimenNotes(m_set);
    m_breakNote->setText(notes.join(QLatin1Char('\n')));
    m_curve->update();
    if (!isVisible()) PlaceOverParent();
    show();
    raise();
}

void CResultsWnd::PlaceOverParent() {
    QWidget* parent = parentWidget();
    QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
    if (screen == nullptr) return;
    // Centred over the main window, and wholly on a small screen: the frame's margins are
    // those the window manager gave the main window.
    QMargins frame;
    QRect client(QPoint(0, 0), size());
    if (parent != nullptr && parent->isVisible()) {
        const QRect outer = parent->frameGeometry(), inner = parent->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
        client.moveCenter(inner.center());
    } else {
        client.moveCenter(screen->availableGeometry().center());
    }
    setGeometry(FitIntoArea(client, frame, screen->availableGeometry()));
}

void CResultsWnd::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowMessageBox(this, tr("无法开始打印作业。"), windowTitle(), QMessageBox::Warning);
        return;
    }
    DrawResultsPage(painter, printer, *CreateReportFonts(), m_set, m_operator);
    painter.end();
}
