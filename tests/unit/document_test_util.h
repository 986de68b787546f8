// Helpers shared by the graph document tests.
#pragma once

#include <cstdio>
#include <string>

#include "document/graph_document.h"

// Every member of a document as text, each number exactly (hexadecimal
// floating point, so -0 and 0 differ), for comparisons that say what
// differs.
inline std::string Describe(const GraphDocument& d) {
    auto number = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%a", v);
        return std::string(text);
    };
    std::string s = "mode " + std::to_string(static_cast<int>(d.mode));
    s += " x " + number(d.xMin) + " " + number(d.xMax);
    s += " y " + number(d.yMin) + " " + number(d.yMax);
    s += " t " + number(d.tStart) + " " + number(d.tStop);
    for (const std::string& e : d.equations)
        s += " eq[" + std::to_string(e.size()) + "]" + e;
    for (uint32_t c : d.style.graphColors)
        s += " c" + std::to_string(c);
    s += " bg" + std::to_string(d.style.backColor) + " ax" + std::to_string(d.style.axisColor);
    s += d.style.showAxes ? " axes" : " no-axes";
    for (const Parameter& p : d.parameters)
        s += " param " + p.name + " " + number(p.value) + " " + number(p.min) + " " +
             number(p.max) + " " + number(p.step);
    return s;
}

// A document unlike the default in every member, to see that a refused
// read changes nothing.
inline GraphDocument Sentinel() {
    GraphDocument d;
    d.mode = Polar;
    d.xMin = -1.5, d.xMax = 2.5, d.yMin = -3.5, d.yMax = 4.5, d.tStart = 7, d.tStop = -7;
    for (size_t i = 0; i < 8; ++i)
        d.equations[i] = "sentinel" + std::to_string(i);
    for (size_t i = 0; i < 8; ++i)
        d.style.graphColors[i] = static_cast<uint32_t>(0x010101 * (i + 1));
    d.style.backColor = 0x123456;
    d.style.axisColor = 0x654321;
    d.style.showAxes = false;
    return d;
}
