#include "shell/window_style.h"

#include <QFontMetrics>
#include <algorithm>

#include "common/message_box.h"

QRect DluRect(int x, int y, int width, int height) {
    // Integer arithmetic: 1.5 px per unit, truncated toward zero as the template is.
    return QRect(x * 3 / 2, y * 3 / 2, width * 3 / 2, height * 3 / 2);
}

QFont LogFont(const QString& face, int cellHeight, int weight) {
    QFont font(face);
    // LOGFONT weights run below the thinnest OpenType weight; Qt takes 1..1000.
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    font.setPixelSize(cellHeight);
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > cellHeight) {
        font.setPixelSize(std::max(1, cellHeight * cellHeight / lineHeight));
    }
    return font;
}

QString DisplayText(const std::string& gbk) {
    const bool ascii = std::all_of(gbk.begin(), gbk.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    return FromGbk(gbk);
}
