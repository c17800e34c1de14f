// The scrolling strip chart of the main window (control 1015).
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

struct ChartFlags;
struct Settings;
struct TestRun;
class QPainter;

class CLineChartCtrl : public QWidget {
    Q_OBJECT

  public:
    // Draws the given settings, run and flags, which must outlive the chart; a frame sets
    // the flags' zoom factor.
    CLineChartCtrl(const Settings& settings, const TestRun& run, ChartFlags& flags,
                   QWidget* parent = nullptr);

    // Captures the client rectangle and derives the plot rectangle; called once.
    void CalcLayout();
    // Refresh timer id 1: one frame every 50 ms; a frame painted while nothing records
    // stops it again.
    void StartRefresh();
    void StopRefresh();
    bool IsRefreshing() const;

    // Paints one frame (background, axes, curves) into the painter, as a repaint does.
    void DrawFrame(QPainter& painter);
    // The frame as the last repaint drew it.
    const QImage& LastFrame() const { return m_frame; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void DrawBackground(QPainter& painter);
    void DrawAxes(QPainter& painter);
    void DrawCurves(QPainter& painter);

    const Settings& m_settings;
    const TestRun& m_run;
    ChartFlags& m_flags;
    QString m_strSpan;
    QRect m_rcClient;
    QRect m_rcPlot;
    QTimer m_refresh;
    QImage m_frame;
};
