// publish_check DOC.orv WxH FILE KIND: whether FILE is what the window's
// export makes of the graph in DOC at that size: KIND "svg" the writer's
// SVG text, "plain" or "smooth" a 24-bit BMP of the exact or smooth render.
// Exit 0 when it is; 1, with what differs, when not.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document_file.h"
#include "plot/canvas.h"
#include "plot/render.h"
#include "plot/svg_writer.h"

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Get32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

} // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0;
    if (argc != 5 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width <= 0 ||
        height <= 0) {
        std::fputs("usage: publish_check DOC.orv WxH FILE svg|plain|smooth\n", stderr);
        return 2;
    }
    GraphDocument document;
    std::string reason;
    if (!LoadGraphDocument(argv[1], document, reason)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    Plotter plotter;
    plotter.SetMode(document.mode);
    plotter.SetRange(document.xMin, document.xMax, document.yMin, document.yMax);
    plotter.SetStep(document.tStart, document.tStop);
    EquationSlots equations;
    for (size_t i = 0; i < document.equations.size(); ++i)
        equations[i] = document.equations[i];
    const std::string kind = argv[4], bytes = ReadAll(argv[3]);
    if (kind == "svg") {
        plotter.SetCanvas(nullptr, 0, width, height);
        if (bytes != GraphSvg(plotter, equations, document.style)) {
            std::fprintf(stderr, "%s differs from the writer's SVG\n", argv[3]);
            return 1;
        }
        return 0;
    }
    Canvas canvas(width, height);
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), width, height);
    document.style.smoothCurves = kind == "smooth";
    RenderGraph(plotter, equations, document.style);
    const size_t rowSize = (3 * size_t(width) + 3) / 4 * 4;
    if (bytes.size() != 54 + rowSize * height || Get32(bytes, 10) != 54) {
        std::fprintf(stderr, "%s is not a 24-bit BMP of %dx%d\n", argv[3], width, height);
        return 1;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 54 + rowSize * (height - 1 - y) + 3 * x;
            const uint32_t pixel = Get32(bytes, at) & 0xFFFFFF;
            if (pixel != canvas.bits()[size_t(y) * width + x]) {
                std::fprintf(stderr, "%s: pixel %d,%d is %06x, the %s render's %06x\n", argv[3], x,
                             y, pixel, kind.c_str(), canvas.bits()[size_t(y) * width + x]);
                return 1;
            }
        }
    return 0;
}
