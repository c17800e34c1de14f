#include "series/series_window.h"

#include <QBrush>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/message_box.h"
#include "results/result_translation.h"
#include "series/series_chart.h"
#include "series/series_export.h"
#include "series/series_report.h"
#include "series/series_texts.h"

namespace {

const QColor kExcludedText(128, 128, 128);
const QSize kExportSize(1200, 800);

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CSeriesWnd::CSeriesWnd(std::string dataFolderUtf8, std::string seriesUtf8, QWidget* parent)
    : QDialog(parent), m_folder(std::move(dataFolderUtf8)), m_series(std::move(seriesUtf8)) {
    setObjectName(QStringLiteral("series"));
    setWindowTitle(tr("系列试验 %1").arg(Utf8(m_series)));
    if (parent != nullptr) setWindowIcon(parent->windowIcon());
    setModal(false);

    m_infoLabel = new QLabel(this);
    m_infoLabel->setObjectName(QStringLiteral("info"));
    m_infoLabel->setWordWrap(true);
    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("problems"));
    m_problems->setWordWrap(true);
    m_tableWidget = new QTableWidget(this);
    m_tableWidget->setObjectName(QStringLiteral("table"));
    m_tableWidget->verticalHeader()->hide();
    m_tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableWidget->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_chart = new CSeriesOverlayCtrl(this);
    m_chart->setObjectName(QStringLiteral("overlay"));

    auto* legendBox = new QWidget;
    m_legend = new QVBoxLayout(legendBox);
    auto* legendScroll = new QScrollArea(this);
    legendScroll->setObjectName(QStringLiteral("legend"));
    legendScroll->setWidget(legendBox);
    legendScroll->setWidgetResizable(true);
    legendScroll->setFixedWidth(170);

    const auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* image = button(tr("导出图像"), "exportImage");
    QPushButton* tables = button(tr("保存表格"), "saveTables");
    QPushButton* print = button(tr("打印"), "print");
    QPushButton* pdf = button(tr("导出 PDF"), "exportPdf");
    QPushButton* close = button(tr("关闭"), "close");
    connect(image, &QPushButton::clicked, this, &CSeriesWnd::OnExportImage);
    connect(tables, &QPushButton::clicked, this, [this] { SaveTables(); });
    connect(print, &QPushButton::clicked, this, &CSeriesWnd::OnPrint);
    connect(pdf, &QPushButton::clicked, this, &CSeriesWnd::OnExportPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* chartRow = new QWidget;
    auto* chartLayout = new QHBoxLayout(chartRow);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(m_chart, 1);
    chartLayout->addWidget(legendScroll);
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->addWidget(m_tableWidget);
    m_splitter->addWidget(chartRow);
    m_splitter->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {image, tables, print, pdf, close}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_infoLabel);
    layout->addWidget(m_problems);
    layout->addWidget(m_splitter, 1);
    layout->addLayout(buttons);
    resize(1100, 760);
    Reload();
}

void CSeriesWnd::SpecimenChanged() {
    Reload();
}

void CSeriesWnd::Reload() {
    std::string error;
    if (!ReadSeriesFile(SeriesFilePath(m_folder, m_series), &m_info, &error)) {
        // Tests of a series whose file was lost still make a series: its name is known.
        m_info = SeriesInfo{};
        m_info.name = m_series;
        m_info.planned = 0;
    }
    m_tests = LoadSeriesTests(m_folder, m_series);
    m_table = SeriesTableOf(m_tests.tests);
    m_overlay = OverlayOfSeries(m_tests.tests);
    m_shown.assign(m_overlay.curves.size(), true);
    for (std::size_t c = 0; c < m_overlay.curves.size(); ++c)
        m_shown[c] = std::find(m_hidden.begin(), m_hidden.end(), m_overlay.curves[c].specimenId) ==
                     m_hidden.end();
    FillInfo();
    FillTable();
    FillLegend();
    m_chart->SetOverlay(&m_overlay, &m_shown);
}

void CSeriesWnd::FillInfo() {
    int valid = 0;
    for (const SeriesTableRow& row : m_table.specimens) valid += row.excludedReason.empty();
    m_infoLabel->setText(tr("系列：%1    材料：%2    方法：%3    操作员：%4\n"
                            "试样：%5（有效 %6，计划 %7）    创建时间：%8    备注：%9")
                             .arg(Utf8(m_info.name), Utf8(m_info.material),
                                  QCoreApplication::translate("CSeriesDlg", m_info.method.c_str()),
                                  Utf8(m_info.operatorName),
                                  QString::number(m_table.specimens.size()), QString::number(valid),
                                  QString::number(m_info.planned), Utf8(m_info.created),
                                  Utf8(m_info.notes)));
    QStringList problems;
    for (const SeriesFileProblem& p : m_tests.problems)
        problems << tr("无法读取 %1：%2").arg(Utf8(p.pathUtf8), Utf8(p.reasonUtf8));
    for (const std::string& note : m_overlay.notes)
        problems << TranslatedText("SeriesTexts", SeriesTextTemplates(), note);
    m_problems->setText(problems.join(QLatin1Char('\n')));
    m_problems->setVisible(!problems.isEmpty());
}

void CSeriesWnd::FillTable() {
    const SeriesTable& t = m_table;
    QStringList headers = {tr("试样"), tr("排除原因")};
    for (const SeriesColumn& column : t.columns)
        headers << (column.unit.empty()
                        ? TranslatedResultText(column.name)
                        : TranslatedResultText(column.name) + "\n(" + Utf8(column.unit) + ")");
    m_tableWidget->clear();
    m_tableWidget->setColumnCount(static_cast<int>(headers.size()));
    m_tableWidget->setHorizontalHeaderLabels(headers);
    const int specimens = static_cast<int>(t.specimens.size());
    m_tableWidget->setRowCount(specimens + kStatisticLines);
    const auto put = [this](int row, int col, const QString& text, bool excluded, bool number) {
        auto* item = new QTableWidgetItem(text);
        if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (excluded) item->setForeground(QBrush(kExcludedText));
        m_tableWidget->setItem(row, col, item);
    };
    for (int r = 0; r < specimens; ++r) {
        const SeriesTableRow& row = t.specimens[r];
        const bool excluded = !row.excludedReason.empty();
        put(r, 0, Utf8(row.specimenId), excluded, false);
        put(r, 1, Utf8(row.excludedReason), excluded, false);
        for (std::size_t c = 0; c < row.values.size(); ++c)
            put(r, static_cast<int>(c) + 2, Utf8(ResultValueText(row.values[c])), excluded, true);
    }
    for (int line = 0; line < kStatisticLines; ++line) {
        const int r = specimens + line;
        put(r, 0, TranslatedText("SeriesTexts", SeriesTextTemplates(), StatisticLabel(line)), false,
            false);
        put(r, 1, QString(), false, false);
        for (std::size_t c = 0; c < t.statistics.size(); ++c) {
            const std::optional<double> value = StatisticValue(t.statistics[c], line);
            put(r, static_cast<int>(c) + 2, Utf8(ResultValueText(value)), false, true);
        }
        QFont bold = m_tableWidget->font();
        bold.setBold(true);
        m_tableWidget->item(r, 0)->setFont(bold);
    }
    m_tableWidget->resizeColumnsToContents();
    // The whole table in sight where it leaves the overlay half of the room.
    int tableHeight = 2 * m_tableWidget->frameWidth() +
                      m_tableWidget->horizontalHeader()->height() +
                      m_tableWidget->horizontalScrollBar()->sizeHint().height();
    for (int r = 0; r < m_tableWidget->rowCount(); ++r) tableHeight += m_tableWidget->rowHeight(r);
    const int room = std::max(m_splitter->height(), 600);
    m_splitter->setSizes({std::min(tableHeight, room / 2), room - std::min(tableHeight, room / 2)});
}

void CSeriesWnd::FillLegend() {
    while (QLayoutItem* item = m_legend->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (std::size_t c = 0; c < m_overlay.curves.size(); ++c) {
        const OverlayCurve& curve = m_overlay.curves[c];
        auto* box =
            new QCheckBox(Utf8(curve.specimenId) + (curve.excluded ? tr("（排除）") : QString()));
        box->setObjectName(QStringLiteral("curve%1").arg(c));
        QPixmap swatch(24, 12);
        swatch.fill(Qt::white);
        {
            QPainter painter(&swatch);
            QPen pen(SpecimenColour(static_cast<int>(c)), 2);
            if (curve.excluded) pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
            painter.drawLine(0, 6, 24, 6);
        }
        box->setIcon(QIcon(swatch));
        box->setChecked(m_shown[c]);
        connect(box, &QCheckBox::toggled, this,
                [this, c](bool on) { SetCurveShown(static_cast<int>(c), on); });
        m_legend->addWidget(box);
    }
    m_legend->addStretch(1);
}

void CSeriesWnd::SetCurveShown(int curve, bool shown) {
    if (curve < 0 || curve >= static_cast<int>(m_shown.size())) return;
    m_shown[curve] = shown;
    const std::string& id = m_overlay.curves[curve].specimenId;
    m_hidden.erase(std::remove(m_hidden.begin(), m_hidden.end(), id), m_hidden.end());
    if (!shown) m_hidden.push_back(id);
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("curve%1").arg(curve)))
        box->setChecked(shown);
    m_chart->update();
}

void CSeriesWnd::Fail(const QString& message) {
    ShowMessageBox(this, message, windowTitle(), QMessageBox::Warning);
}

bool CSeriesWnd::ExportImage(const QString& path) {
    QString error;
    if (ExportOverlayImage(m_overlay, m_shown, path, kExportSize, &error)) return true;
    Fail(error);
    return false;
}

bool CSeriesWnd::SaveTables() {
    std::string error;
    if (WriteSeriesTables(m_folder, m_info, m_table, &error)) return true;
    Fail(Utf8(error));
    return false;
}

bool CSeriesWnd::ExportPdf(const QString& path) {
    if (WriteSeriesReportPdf({m_info, m_table, m_overlay, m_shown}, path)) return true;
    Fail(tr("无法写入 PDF 文件：") + path);
    return false;
}

void CSeriesWnd::OnExportImage() {
    const QString path = QFileDialog::getSaveFileName(this, tr("导出图像"),
                                                      Utf8(m_folder + m_series + ".series.png"),
                                                      tr("PNG 图像 (*.png);;SVG 图像 (*.svg)"));
    if (!path.isEmpty()) ExportImage(path);
}

void CSeriesWnd::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintSeriesReport(printer, {m_info, m_table, m_overlay, m_shown}))
        Fail(tr("无法开始打印作业。"));
}

void CSeriesWnd::OnExportPdf() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("导出 PDF"), Utf8(m_folder + m_series + ".series.pdf"), tr("PDF 文件 (*.pdf)"));
    if (!path.isEmpty()) ExportPdf(path);
}
