// The overlay of a series' curves drawn: axes shared with every chart of the program, one
// colour per specimen, the excluded dashed, a legend of the curves shown. The window's control
// reduces each curve once per size, so that a frame draws a few points per pixel column.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

#include "results/force_curve.h"
#include "series/series_overlay.h"

class QPainter;

// The colour of the specimen at that place in the series: ten distinct ones, then turning
// hues.
QColor SpecimenColour(int index);

// Where the overlay's parts fall in an area, and the plot's mapping of values.
struct OverlayLayout {
    QRect area, plot, legend;
    AxisTicks xTicks{0, 1, 1}, yTicks{0, 1, 1};
    PlotMapping mapping;
};
OverlayLayout LayOutOverlay(const SeriesOverlay& overlay, const QRect& area,
                            const CurveScale& scale);
// Every curve of the overlay reduced to the layout's pixel columns.
std::vector<std::vector<PlotPoint>> ReduceOverlay(const SeriesOverlay& overlay,
                                                  const OverlayLayout& layout);
// The frame: background, axes, the shown curves from their reduced points, the legend.
// `shown` has one flag per curve; a curve without one is shown.
void PaintOverlay(QPainter& painter, const SeriesOverlay& overlay, const OverlayLayout& layout,
                  const std::vector<std::vector<PlotPoint>>& reduced,
                  const std::vector<bool>& shown, const CurveScale& scale);
// Laid out, reduced and painted in one go: the report and the exported images.
void DrawSeriesOverlay(QPainter& painter, const QRect& area, const SeriesOverlay& overlay,
                       const std::vector<bool>& shown, const CurveScale& scale);

// A PNG or, for a name ending in ".svg", an SVG drawing of the overlay at that size. False,
// with a message (UTF-8), when the file cannot be written.
bool ExportOverlayImage(const SeriesOverlay& overlay, const std::vector<bool>& shown,
                        const QString& path, const QSize& size, QString* error);

class CSeriesOverlayCtrl : public QWidget {
    Q_OBJECT

  public:
    explicit CSeriesOverlayCtrl(QWidget* parent = nullptr);
    // The overlay and the flags the control draws from, both owned by the caller; call again
    // whenever the curves change.
    void SetOverlay(const SeriesOverlay* overlay, const std::vector<bool>* shown);
    const QImage& LastFrame() const { return m_frame; }
    // The reduced curves of the last frame (one list per curve), for the tests.
    const std::vector<std::vector<PlotPoint>>& Reduced() const { return m_reduced; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const SeriesOverlay* m_overlay = nullptr;
    const std::vector<bool>* m_shown = nullptr;
    QSize m_reducedFor;  // the size the reduction is for; empty: to be reduced again
    OverlayLayout m_layout;
    std::vector<std::vector<PlotPoint>> m_reduced;
    QImage m_frame;
};
