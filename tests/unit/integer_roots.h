// Expanded polynomials with integer roots, shared by the points of interest
// tests and the analysis fuzzer: the value at each root is exact, 0, and
// rounding hides the crossing around it.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/analysis.h"

struct IntegerRoots {
    std::vector<int> roots;
    std::vector<double> coefficients; // highest power first
    std::string text;                 // "1*x^3-6*x^2+11*x^1-6"

    explicit IntegerRoots(std::vector<int> r) : roots(std::move(r)), coefficients{1} {
        for (const int root : roots) {
            std::vector<double> product(coefficients.size() + 1, 0);
            for (size_t i = 0; i < coefficients.size(); ++i) {
                product[i] += coefficients[i];
                product[i + 1] -= root * coefficients[i];
            }
            coefficients = product;
        }
        const size_t degree = roots.size();
        for (size_t i = 0; i <= degree; ++i) {
            const double c = coefficients[i];
            if (c == 0)
                continue;
            text += c < 0 ? "-" : text.empty() ? "" : "+";
            text += std::to_string(static_cast<long long>(std::fabs(c)));
            if (i < degree)
                text += "*x^" + std::to_string(degree - i);
        }
    }

    bool Simple(int r) const { return std::count(roots.begin(), roots.end(), r) == 1; }

    // How far a view must reach on both sides of root r for the curve to
    // stand out of its rounding there: a few times the rounding of the
    // terms' sizes (8 ulps of their sum) over the slope at r.
    double Margin(int r) const {
        const int degree = static_cast<int>(roots.size());
        double terms = 0, slope = 1;
        for (int i = 0; i <= degree; ++i)
            terms += std::fabs(coefficients[i]) * std::pow(std::fabs(r), degree - i);
        for (const int q : roots)
            slope *= q == r ? 1 : std::fabs(r - q);
        return std::fmax(std::ldexp(terms, degree - 49) / slope, 1e-300);
    }

    // Whether [xMin, xMax] holds simple root r with its margin.
    bool Holds(int r, double xMin, double xMax) const {
        return Simple(r) && xMin + Margin(r) <= r && r + Margin(r) <= xMax;
    }

    // Whether the points list root r as it should be: a zero at r itself,
    // once, and none beside it.
    static bool Listed(const PointsOfInterest& found, int r) {
        int exact = 0, beside = 0;
        for (const PointOfInterest& p : found.points) {
            if (p.kind == PointKind::Zero && p.x == r)
                ++exact;
            else if (p.kind == PointKind::Zero && std::fabs(p.x - r) < 1e-6)
                ++beside;
        }
        return exact == 1 && beside == 0;
    }
};
