// Whether every text of a window fits the rectangle it is drawn in, measured with each
// widget's own font and its style's margins, and whether a label's text runs into a
// neighbouring control or a group's frame; and whether a list header's sections are wide
// enough for their captions. Returns one line per fault.
#pragma once

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionHeader>

namespace text_fit {

inline QString Name(const QWidget* widget, const QString& text) {
    return QStringLiteral("%1 \"%2\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()),
             QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')));
}

inline QString Show(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The room a text takes, lines included: the widest line's advance and the lines' height.
inline QSize TextSize(const QWidget* widget, const QString& text) {
    return widget->fontMetrics().boundingRect(QRect(), Qt::TextShowMnemonic, text).size();
}

// Where a label's text is drawn, in its parent's coordinates.
inline QRect LabelTextRect(const QLabel* label) {
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                               TextSize(label, label->text()), label->contentsRect())
        .translated(label->pos());
}

inline bool Shown(const QWidget* widget, const QWidget* window) {
    return widget->isVisibleTo(window);
}

inline void CheckLabel(const QLabel* label, const QWidget* window, QStringList* faults) {
    const QString name = Name(label, label->text());
    const QSize size = TextSize(label, label->text());
    const QRect inside = label->contentsRect();
    if (size.width() > inside.width() || size.height() > inside.height()) {
        *faults << QStringLiteral("%1: text %2x%3 does not fit %4")
                       .arg(name)
                       .arg(size.width())
                       .arg(size.height())
                       .arg(Show(inside));
    }
    const QRect text = LabelTextRect(label);
    for (const QObject* object : label->parent()->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(object);
        if (!sibling || sibling == label || !Shown(sibling, window)) continue;
        if (const auto* group = qobject_cast<const QGroupBox*>(sibling)) {
            // A text that stands in a group keeps inside its contents, clear of frame and
            // title; any other keeps off the group altogether.
            const QRect contents = group->contentsRect().translated(group->pos());
            const bool inGroup = group->geometry().contains(text.center());
            if (inGroup ? !contents.contains(text) : group->geometry().intersects(text)) {
                *faults << QStringLiteral("%1: text at %2 runs into the frame of %3")
                               .arg(name, Show(text), Name(group, group->title()));
            }
        } else if (const auto* other = qobject_cast<const QLabel*>(sibling)) {
            if (!other->text().isEmpty() && LabelTextRect(other).intersects(text)) {
                *faults << QStringLiteral("%1: text at %2 overlaps the text of %3")
                               .arg(name, Show(text), Name(other, other->text()));
            }
        } else if (qobject_cast<const QLineEdit*>(sibling) ||
                   qobject_cast<const QComboBox*>(sibling) ||
                   qobject_cast<const QAbstractButton*>(sibling) ||
                   qobject_cast<const QAbstractSpinBox*>(sibling) ||
                   qobject_cast<const QAbstractScrollArea*>(sibling)) {
            if (sibling->geometry().intersects(text)) {
                *faults << QStringLiteral("%1: text at %2 overlaps %3 %4 at %5")
                               .arg(name, Show(text),
                                    QString::fromLatin1(sibling->metaObject()->className()),
                                    sibling->objectName(), Show(sibling->geometry()));
            }
        }
    }
}

inline void CheckGroupTitle(const QGroupBox* group, QStringList* faults) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.textAlignment = group->alignment();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (group->isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (group->isFlat()) option.features |= QStyleOptionFrame::Flat;
    const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, group);
    const QSize size = TextSize(group, group->title());
    if (size.width() > title.width() || size.height() > title.height() ||
        !group->rect().contains(title)) {
        *faults << QStringLiteral("%1: title %2x%3 does not fit the title room %4 of %5")
                       .arg(Name(group, group->title()))
                       .arg(size.width())
                       .arg(size.height())
                       .arg(Show(title), Show(group->rect()));
    }
}

inline void CheckButton(const QAbstractButton* button, QStringList* faults) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(button)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    const QRect room = button->style()->subElementRect(contents, &option, button);
    const QSize size = TextSize(button, button->text());
    if (size.width() > room.width() || size.height() > room.height()) {
        *faults << QStringLiteral("%1: text %2x%3 does not fit %4 inside %5")
                       .arg(Name(button, button->text()))
                       .arg(size.width())
                       .arg(size.height())
                       .arg(Show(room), Show(button->rect()));
    }
}

// Each section of a list's header shows its whole caption: the style elides one cut short.
inline void CheckHeader(const QHeaderView* header, QStringList* faults) {
    const QAbstractItemModel* model = header->model();
    if (model == nullptr) return;
    const Qt::Orientation orientation = header->orientation();
    for (int section = 0; section < header->count(); ++section) {
        const QString text = model->headerData(section, orientation).toString();
        if (header->isSectionHidden(section) || text.isEmpty()) continue;
        QStyleOptionHeader option;
        option.initFrom(header);
        option.orientation = orientation;
        if (orientation == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
        option.section = section;
        option.text = text;
        option.rect = orientation == Qt::Horizontal
                          ? QRect(0, 0, header->sectionSize(section), header->height())
                          : QRect(0, 0, header->width(), header->sectionSize(section));
        if (header->isSortIndicatorShown() && header->sortIndicatorSection() == section) {
            option.sortIndicator = header->sortIndicatorOrder() == Qt::AscendingOrder
                                       ? QStyleOptionHeader::SortDown
                                       : QStyleOptionHeader::SortUp;
        }
        const QVariant font = model->headerData(section, orientation, Qt::FontRole);
        const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : header->font());
        const QSize size = metrics.boundingRect(QRect(), 0, text).size();
        const QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        if (size.width() > room.width() || size.height() > room.height()) {
            *faults << QStringLiteral("%1 section %2: text %3x%4 does not fit %5")
                           .arg(Name(header, text))
                           .arg(section)
                           .arg(size.width())
                           .arg(size.height())
                           .arg(Show(room));
        }
    }
}

// Every shown list header's sections.
inline QStringList HeaderFaults(const QWidget* window) {
    QStringList faults;
    for (const QHeaderView* header : window->findChildren<QHeaderView*>()) {
        if (Shown(header, window)) CheckHeader(header, &faults);
    }
    return faults;
}

// Every shown label, group title and button of the window.
inline QStringList Faults(const QWidget* window) {
    QStringList faults;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (Shown(label, window) && !label->text().isEmpty() && !label->wordWrap())
            CheckLabel(label, window, &faults);
    }
    for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (Shown(group, window) && !group->title().isEmpty()) CheckGroupTitle(group, &faults);
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (Shown(button, window) && !button->text().isEmpty()) CheckButton(button, &faults);
    }
    return faults;
}

}  // namespace text_fit
