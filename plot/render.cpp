#include "plot/render.h"

#include <algorithm>

void RenderGraph(Canvas& canvas, Plotter& plotter, const EquationSlots& equations,
                 const GraphOptions& style) {
    canvas.Fill(style.backColor);
    uint32_t* const pixels = canvas.bits();
    const int32_t width = canvas.Width(), height = canvas.Height();
    if (style.showAxes && pixels) {
        // The two axes are independent: each is drawn when it is in view.
        const int32_t row = plotter.YToRow(0);
        const int32_t column = plotter.XToColumn(0);
        if (row >= 0 && row < height)
            std::fill_n(pixels + static_cast<size_t>(row) * width, width, style.axisColor);
        if (column >= 0 && column < width)
            for (int32_t y = 0; y < height; ++y)
                pixels[static_cast<size_t>(y) * width + column] = style.axisColor;
    }
    switch (plotter.mode) {
    case Parametric:
        for (int k = 0; k < 4; ++k)
            if (!equations[2 * k].empty())
                plotter.PlotParametric(equations[2 * k], equations[2 * k + 1], style.graphColors[k]);
        break;
    case Polar:
        for (int i = 0; i < 8; ++i)
            if (!equations[i].empty())
                plotter.PlotPolar(equations[i], style.graphColors[i]);
        break;
    default:
        for (int i = 0; i < 8; ++i)
            if (!equations[i].empty())
                plotter.PlotRectangular(equations[i], style.graphColors[i]);
        break;
    }
}
