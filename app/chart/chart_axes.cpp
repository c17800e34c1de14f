#include "chart/chart_axes.h"

#include <QPainter>

void PaintAxes(QPainter& painter, const ChartAxes& axes) {
    const QRect& plot = axes.plot;
    if (!axes.gridColumns.empty() || !axes.gridRows.empty()) {
        painter.setPen(axes.gridPen);
        for (const int column : axes.gridColumns)
            painter.drawLine(column, plot.top(), column, plot.bottom());
        for (const int row : axes.gridRows) painter.drawLine(plot.left(), row, plot.right(), row);
    }
    if (axes.framePen.style() != Qt::NoPen) {
        painter.setPen(axes.framePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plot);
    }
    PaintAxisLabels(painter, axes.labelPen, axes.labels);
}

void PaintAxisLabels(QPainter& painter, const QPen& pen, const std::vector<AxisLabel>& labels) {
    painter.setPen(pen);
    for (const AxisLabel& label : labels) painter.drawText(label.rect, label.flags, label.text);
}
