#include "shell/status_line.h"

#include <QFontMetrics>
#include <QLabel>

namespace {
// Room between the sections, which have no frames.
const QMargins kSectionMargins(4, 0, 8, 0);
}  // namespace

// The notice takes the room the other sections leave; a longer text (an archive's path) is
// shortened in its middle and shown whole as the tooltip, so it never widens the window.
class CNoticeLabel : public QLabel {
  public:
    explicit CNoticeLabel(QWidget* parent) : QLabel(parent) {
        setObjectName(QStringLiteral("statusNotice"));
        setContentsMargins(kSectionMargins);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    void SetFullText(const QString& text) {
        if (text == m_full) return;
        m_full = text;
        setToolTip(text);
        Fit();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Fit();
    }

  private:
    void Fit() {
        setText(fontMetrics().elidedText(m_full, Qt::ElideMiddle, contentsRect().width()));
    }

    QString m_full;
};

namespace {

QLabel* AddSection(QStatusBar* bar, const QString& name) {
    auto* label = new QLabel(bar);
    label->setObjectName(name);
    label->setContentsMargins(kSectionMargins);
    bar->addWidget(label);
    return label;
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace

CStatusLine::CStatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusLine"));
    setSizeGripEnabled(false);
    m_state = AddSection(this, QStringLiteral("statusState"));
    m_time = AddSection(this, QStringLiteral("statusTime"));
    m_interval = AddSection(this, QStringLiteral("statusInterval"));
    m_notice = new CNoticeLabel(this);
    addWidget(m_notice, 1);
    auto* version = new QLabel(QStringLiteral("Velmora " VELMORA_VERSION), this);
    version->setObjectName(QStringLiteral("statusVersion"));
    version->setContentsMargins(kSectionMargins);
    addPermanentWidget(version);
}

void CStatusLine::Show(const StatusTexts& texts) {
    SetText(m_state, texts.state);
    SetText(m_time, texts.time);
    SetText(m_interval, texts.interval);
    const QString style =
        texts.periodMissed ? QStringLiteral("color: #c00000; font-weight: bold;") : QString();
    if (m_interval->styleSheet() != style) m_interval->setStyleSheet(style);
    m_notice->SetFullText(texts.notice);
}
