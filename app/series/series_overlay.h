// The curves of a series on one chart, as numbers: stress over strain when every valid
// specimen has S0 and L0, force over extension otherwise; and each curve reduced to what the
// columns of a plot can show.
#pragma once

#include <string>
#include <vector>

#include "records/saved_test.h"

struct OverlayCurve {
    std::string specimenId;  // UTF-8, the legend's entry
    bool excluded = false;   // drawn dashed
    std::vector<double> x, y;
};

struct SeriesOverlay {
    bool stressStrain = false;
    std::string xTitle, yTitle;  // UTF-8, with the unit: "应变 (%)", "应力 (MPa)"
    std::vector<OverlayCurve> curves;
    // The extent of every curve's points (0 included), whether shown or not, so that hiding a
    // curve never moves the axes.
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    std::vector<std::string> notes;  // specimens left out, and why (UTF-8)
};

// The last record (0-based) a specimen's curve shows: its fracture; without one its last
// record, before the return stroke (where the crosshead moved back from its farthest point).
int CurveEndIndex(const ResultSet& set);
SeriesOverlay OverlayOfSeries(const std::vector<SavedTest>& tests);

// A plot's mapping of values to pixel positions: x0..x1 across left..left + width, y0..y1
// up from bottom to bottom - height.
struct PlotMapping {
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    int left = 0, bottom = 0, width = 1, height = 1;
};
struct PlotPoint {
    int x, y;
};
// The curve as a polyline of pixel positions that draws as the whole curve does: for each run
// of records falling into one pixel column, its first, lowest, highest and last point, in the
// order they came, with repeats dropped. Non-finite points are skipped.
std::vector<PlotPoint> ReduceToColumns(const std::vector<double>& x, const std::vector<double>& y,
                                       const PlotMapping& mapping);
