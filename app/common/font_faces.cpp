#include "common/font_faces.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutions() {
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    const QString sans = QStringLiteral("Noto Sans CJK SC");
    QFont::insertSubstitutions(QStringLiteral("宋体"), {serif, sans});
    QFont::insertSubstitutions(QStringLiteral("黑体"), {sans, serif});
    QFont::insertSubstitutions(QStringLiteral("Gulim"), {QStringLiteral("Noto Sans CJK KR"), sans});
    QFont::insertSubstitutions(QStringLiteral(" "), {sans, serif});
}
