#include "shell/extensometer_readout.h"

#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "run/run_state.h"
#include "settings/extensometer_settings.h"
#include "shell/window_style.h"

namespace {

constexpr int kGap = 8;  // px between the main window and the readout

std::string StrainText(double millimetres, double gaugeLength) {
    return FixedNumber(100.0 * millimetres / gaugeLength, 3);
}

}  // namespace

ExtensometerReadoutFacts ReadoutFactsOf(const ExtensometerSettings& settings, const TestRun& run,
                                        bool playback) {
    ExtensometerReadoutFacts facts;
    if (playback) {
        facts.shown = run.g_bExtRecorded != 0;
        facts.unit = "mm";
        // The playback puts each played record's reading in g_dValueExt: NaN after the
        // removal record and where it read nothing.
        facts.removed =
            run.g_nExtRemovalRecord != 0 && run.g_nRecordCount > run.g_nExtRemovalRecord;
        const double mm = run.g_dValueExt;
        facts.read = std::isfinite(mm);
        if (facts.read) {
            facts.reading = FixedNumber(mm, 4);
            if (run.g_dExtGaugeLength > 0) facts.strain = StrainText(mm, run.g_dExtGaugeLength);
        }
        return facts;
    }
    facts.shown = settings.enabled;
    facts.unit = settings.unit;
    facts.removed = run.g_nExtRemovalRecord != 0;
    facts.read = !facts.removed && !run.g_strReadoutExt.empty();
    if (facts.read) {
        facts.reading = run.g_strReadoutExt;
        facts.strain = StrainText(run.g_dValueExt, settings.gaugeLength);
    }
    return facts;
}

CExtensometerReadout::CExtensometerReadout(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowTitleHint), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("extensometerReadout"));
    setWindowTitle(tr("引伸计"));
    auto* grid = new QGridLayout(this);
    m_reading = new QLabel;
    m_reading->setObjectName(QStringLiteral("reading"));
    m_reading->setFont(LogFont(QStringLiteral("Gulim"), 35, 20));
    m_reading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_reading->setMinimumWidth(
        m_reading->fontMetrics().horizontalAdvance(QStringLiteral("-00.0000")));
    QPalette palette = m_reading->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_reading->setPalette(palette);
    m_unit = new QLabel;
    m_unit->setObjectName(QStringLiteral("unit"));
    m_unit->setFont(LogFont(QStringLiteral("黑体"), 20, 20));
    m_strain = new QLabel;
    m_strain->setObjectName(QStringLiteral("strain"));
    m_removed = new QLabel(tr("已取下"));
    m_removed->setObjectName(QStringLiteral("removed"));
    grid->addWidget(m_reading, 0, 0);
    grid->addWidget(m_unit, 0, 1);
    grid->addWidget(m_strain, 1, 0, 1, 2);
    grid->addWidget(m_removed, 2, 0, 1, 2);
    m_removed->hide();
}

void CExtensometerReadout::ShowFacts(const ExtensometerReadoutFacts& facts) {
    // It is placed by the main window, which must be on the screen first.
    if (!facts.shown || !m_mainWindow->isVisible()) {
        if (isVisible()) hide();
        return;
    }
    const QString reading =
        facts.read ? QString::fromStdString(facts.reading) : QStringLiteral("-----");
    if (m_reading->text() != reading) m_reading->setText(reading);
    const QString unit = QString::fromStdString(facts.unit);
    if (m_unit->text() != unit) m_unit->setText(unit);
    const QString strain = facts.read && !facts.strain.empty()
                               ? tr("应变 %1 %（标距）").arg(QString::fromStdString(facts.strain))
                               : QString();
    if (m_strain->text() != strain) m_strain->setText(strain);
    if (m_removed->isVisible() != facts.removed) m_removed->setVisible(facts.removed);
    if (!isVisible()) {
        show();
        if (!m_placed) PlaceBesideMainWindow();
    }
}

// To the right of the main window, its top at the window's top; on a screen too narrow for
// that, at the window's left instead, and never off the screen.
void CExtensometerReadout::PlaceBesideMainWindow() {
    m_placed = true;
    adjustSize();
    const QRect main = m_mainWindow->frameGeometry();
    QScreen* screen = m_mainWindow->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(main);
    const QSize size = frameGeometry().size();
    QPoint at(main.right() + 1 + kGap, main.top());
    if (at.x() + size.width() > available.right() + 1) at.setX(main.left() - kGap - size.width());
    at.setX(std::clamp(at.x(), available.left(),
                       std::max(available.left(), available.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - size.height())));
    move(at);
}
