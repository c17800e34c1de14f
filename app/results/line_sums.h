// The sums of a least-squares line, taken relative to the first point added so that the
// differences of large sums stay exact.
#pragma once

struct LineSums {
    int points = 0;
    double x0 = 0, y0 = 0, sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;

    void Add(double x, double y) {
        if (points == 0) {
            x0 = x;
            y0 = y;
        }
        const double dx = x - x0, dy = y - y0;
        sx += dx;
        sy += dy;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
        ++points;
    }
    // Spreads of x and y and their covariance, each times the number of points.
    double Vx() const { return sxx - sx * sx / points; }
    double Vy() const { return syy - sy * sy / points; }
    double Cxy() const { return sxy - sx * sy / points; }
    double MeanX() const { return x0 + sx / points; }
    double MeanY() const { return y0 + sy / points; }
};
