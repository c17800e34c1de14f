// Geometry, fonts and text helpers of the main window's template.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <string>

// Dialog units of the main window's template to pixels (1.5 px per unit, truncated).
QRect DluRect(int x, int y, int width, int height);

// The font a LOGFONT of the given face, cell height in pixels and weight stands for: the
// pixel size is chosen so that the font's line height equals the cell height.
QFont LogFont(const QString& face, int cellHeight, int weight);

// A GBK text for a control; plain ASCII (all readouts) takes a shortcut past iconv.
QString DisplayText(const std::string& gbk);
