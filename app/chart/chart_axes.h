// The axes of a chart, whatever it plots: grid lines across the plot, a frame around it and
// labels, each set in its own rectangle. The live chart, the force-extension curve and the
// report's chart differ only in what they pass.
#pragma once

#include <QPen>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

struct AxisLabel {
    QRect rect;
    int flags;  // alignment and text flags, as QPainter::drawText takes them
    QString text;
};

struct ChartAxes {
    QRect plot;
    QPen gridPen;
    // Columns run from the plot's top to its bottom edge, rows from its left to its right.
    std::vector<int> gridColumns;
    std::vector<int> gridRows;
    // No frame with Qt::NoPen.
    QPen framePen = QPen(Qt::NoPen);
    QPen labelPen;
    std::vector<AxisLabel> labels;
};

// The grid (columns, then rows), the frame, then the labels; the painter's font, background
// and the rest of its state stay as the chart set them.
void PaintAxes(QPainter& painter, const ChartAxes& axes);
// Labels alone: the scale of one curve, drawn with the curve in its colour.
void PaintAxisLabels(QPainter& painter, const QPen& pen, const std::vector<AxisLabel>& labels);
