// The force-extension curve of a whole test: displacement (channel 1) across, force
// (channel 0) up, both axes labelled with their names and units, the maximum force, the
// break and the proof and yield points marked. One drawing serves the results window and the
// report's second page.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <vector>

#include "results/results_engine.h"

class QPainter;

// Sizes of the drawing in the painter's units: 1 for screen pixels; the report draws in
// 600-dpi page units and passes 600 / 96.
struct CurveScale {
    double unit = 1.0;
};

// Round steps for an axis from lo to hi: about `ticks` steps of 1, 2 or 5 x 10^n, covering
// the range. Returns the first tick, the step and the count.
struct AxisTicks {
    double first, step;
    int count;
};
AxisTicks NiceTicks(double lo, double hi, int ticks);
// A tick's label with as many decimals as the step needs, so that 0.25 steps do not read 0.3.
QString AxisTickText(double value, double step);

void DrawForceCurve(QPainter& painter, const QRect& area, const ResultSet& set,
                    const CurveScale& scale);

// The curve as a window control: each frame is drawn off screen and copied in one step.
class CForceCurveCtrl : public QWidget {
    Q_OBJECT

  public:
    explicit CForceCurveCtrl(QWidget* parent = nullptr);
    void SetResults(const ResultSet* set);
    const QImage& LastFrame() const { return m_frame; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const ResultSet* m_set = nullptr;
    QImage m_frame;
};
