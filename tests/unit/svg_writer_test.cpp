// The SVG document of a graph: well-formed, and drawn by an independent
// renderer (rsvg-convert) onto the raster's curves within a pixel, in the
// curves' colours, bounded however far a curve reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <memory>
#include <string>

#include "plot/svg_writer.h"
#include "raster/raster_test_util.h"
#include "render_scenes.h"

namespace {

using raster_test::ScratchFolder;

#ifndef _WIN32
// Pixels where two pictures differ: in the raster by any bit, in a
// rendered SVG (RGBA rows) by more than a faint trace of antialiasing.
std::vector<bool> Differs(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    std::vector<bool> marked(a.size());
    for (size_t i = 0; i < a.size(); ++i)
        marked[i] = a[i] != b[i];
    return marked;
}

// The document drawn by rsvg-convert at its own size, as 0x00RRGGBB words;
// empty when that fails (the failure is recorded).
std::vector<uint32_t> Rasterise(const ScratchFolder& folder, const std::string& name,
                                const std::string& svg, int32_t width, int32_t height) {
    const std::string in = folder.file(name + ".svg"), out = folder.file(name + ".png");
    raster_test::WriteBytes(in, std::vector<uint8_t>(svg.begin(), svg.end()));
    const std::string check = "xmllint --noout '" + in + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << check;
    const std::string draw = "rsvg-convert -o '" + out + "' '" + in + "'";
    if (std::system(draw.c_str()) != 0) {
        ADD_FAILURE() << draw;
        return {};
    }
    const raster_test::DecodedPng png = raster_test::DecodePng(raster_test::ReadBytes(out));
    // Opaque pictures come as RGB, others as RGBA.
    const size_t channels = png.colorType == 2 ? 3 : 4;
    if (png.width != uint32_t(width) || png.height != uint32_t(height) || png.bitDepth != 8 ||
        (png.colorType != 2 && png.colorType != 6)) {
        ADD_FAILURE() << "rsvg-convert drew " << png.width << "x" << png.height << " depth "
                      << png.bitDepth << " type " << png.colorType;
        return {};
    }
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = &png.pixels[y * png.rowBytes + channels * x];
            pixels[size_t(y) * width + x] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    return pixels;
}

// Ink of a rendered SVG: a channel moved by more than an eighth of the way.
std::vector<bool> Ink(const std::vector<uint32_t>& drawn, const std::vector<uint32_t>& plain) {
    std::vector<bool> marked(drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = (drawn[i] >> shift) & 0xFF, b = (plain[i] >> shift) & 0xFF;
            marked[i] = marked[i] || std::abs(a - b) > 32;
        }
    return marked;
}
#endif

TEST(SvgWriter, InkLiesOnTheRasterCurvesWithinAPixelBothWays) {
#ifdef _WIN32
    GTEST_SKIP() << "rsvg-convert and xmllint run on the host";
#else
    ScratchFolder folder;
    for (const RenderScene& s : RenderScenes()) {
        SCOPED_TRACE(s.name);
        SceneCanvas scene(s);
        const std::vector<uint32_t> raster = scene.Render(), bare = scene.RenderWithoutCurves();
        const std::string svg = GraphSvg(scene.plotter, scene.equations, scene.style);
        EquationSlots none;
        const std::string bareSvg = GraphSvg(scene.plotter, none, scene.style);
        const std::vector<uint32_t> drawn = Rasterise(folder, s.name, svg, s.width, s.height);
        const std::vector<uint32_t> drawnBare =
            Rasterise(folder, std::string(s.name) + "_bare", bareSvg, s.width, s.height);
        ASSERT_FALSE(drawn.empty());
        ASSERT_FALSE(drawnBare.empty());
        // The background and axes are the raster's exactly.
        EXPECT_EQ(drawnBare, bare);
        const std::vector<bool> curves = Differs(raster, bare), ink = Ink(drawn, drawnBare);
        EXPECT_EQ(FirstFarPixel(ink, curves, s.width, s.height), "") << "ink far from the raster";
        EXPECT_EQ(FirstFarPixel(curves, ink, s.width, s.height), "") << "raster without ink";
    }
#endif
}

TEST(SvgWriter, RelationCellsShowWhatTheRasterShows) {
    // Two relations over the axes, the second over the first, with every
    // class of cell in runs and alone; one path per class in use.
    constexpr int32_t w = 61, h = 47;
    Canvas canvas(w, h);
    Plotter plotter;
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), w, h);
    plotter.SetRange(-3, 5, -2, 4);
    GraphStyle style;
    style.backColor = 0xf0e0d0;
    style.graphColors[0] = 0x1080c0;
    style.graphColors[1] = 0xc02010;
    CompiledGraph graph = CompileCurves(Rectangular, {"y<x", "y-x=0"});
    RelationMaps maps;
    for (int slot = 0; slot < 2; ++slot) {
        auto map = std::make_shared<CellMap>();
        map->width = w;
        map->height = h;
        map->equation = slot == 1;
        for (int32_t r = 0; r < h; ++r)
            for (int32_t c = 0; c < w; ++c)
                map->states.push_back(
                    static_cast<CellState>((c / (3 + slot) * 7 + r * 3 + c * r / 11) % 4));
        maps[slot] = map;
    }
    RenderGraph(plotter, graph, style, &maps);
    const std::vector<uint32_t> raster(canvas.bits(), canvas.bits() + size_t(w) * h);
    const std::string svg = GraphSvg(plotter, graph, style, &maps);
    size_t paths = 0;
    for (size_t at = svg.find("<path fill="); at != std::string::npos;
         at = svg.find("<path fill=", at + 1))
        ++paths;
    EXPECT_EQ(paths, 3u + 2u) << "throughout, boundary, undecided; holds, undecided";
#ifndef _WIN32
    ScratchFolder folder;
    const std::vector<uint32_t> drawn = Rasterise(folder, "relations", svg, w, h);
    ASSERT_EQ(drawn.size(), raster.size());
    // The renderer mixes in its own rounding: a step or two per channel.
    for (size_t i = 0; i < raster.size(); ++i)
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = (raster[i] >> shift) & 0xFF, b = (drawn[i] >> shift) & 0xFF;
            ASSERT_LE(std::abs(a - b), 2) << "pixel " << i % w << "," << i / w << ": raster "
                                          << std::hex << raster[i] << ", SVG " << drawn[i];
        }
#endif
}

TEST(SvgWriter, PathsCarryTheCurveColoursAndStayNearThePicture) {
    const std::string head = "<path stroke=\"#";
    const std::string rest = "\" fill=\"none\" stroke-width=\"1\" stroke-linejoin=\"round\" "
                             "stroke-linecap=\"round\" d=\"M";
    for (const RenderScene& s : RenderScenes()) {
        SCOPED_TRACE(s.name);
        SceneCanvas scene(s);
        scene.style.graphColors[1] = 0x123456;
        const std::string svg = GraphSvg(scene.plotter, scene.equations, scene.style);
        const std::vector<uint32_t> raster = scene.Render();
        std::set<uint32_t> inRaster, inSvg, curves;
        const bool pairs = s.mode == Parametric;
        for (size_t k = 0; k < (pairs ? 4u : 8u); ++k)
            if (!scene.equations[pairs ? 2 * k : k].empty())
                curves.insert(scene.style.graphColors[k]);
        for (uint32_t pixel : raster)
            for (uint32_t color : scene.style.graphColors)
                if (pixel == color)
                    inRaster.insert(color);
        size_t paths = 0;
        for (size_t at = svg.find(head); at != std::string::npos;
             at = svg.find(head, at), ++paths) {
            at += head.size();
            inSvg.insert(uint32_t(std::stoul(svg.substr(at, 6), nullptr, 16)));
            ASSERT_EQ(svg.compare(at + 6, rest.size(), rest), 0);
            at += 6 + rest.size();
            const size_t end = svg.find('"', at);
            ASSERT_NE(end, std::string::npos);
            // Every coordinate within the margin around the picture.
            int index = 0;
            for (size_t p = at; p < end; ++index) {
                char* stop = nullptr;
                const double v = std::strtod(svg.c_str() + p, &stop);
                ASSERT_NE(stop, svg.c_str() + p) << svg.substr(p, 20);
                const double size = index % 2 ? s.height : s.width;
                ASSERT_TRUE(v >= -2 && v <= size + 2) << v;
                p = size_t(stop - svg.c_str());
                if (p < end && (svg[p] == ' ' || svg[p] == 'L'))
                    ++p;
            }
            EXPECT_EQ(svg.compare(end, 4, "\"/>\n"), 0);
            at = end;
        }
        EXPECT_GT(paths, 0u);
        // Each colour the raster shows is in the SVG, and only curve colours are.
        EXPECT_TRUE(std::includes(inSvg.begin(), inSvg.end(), inRaster.begin(), inRaster.end()));
        EXPECT_TRUE(std::includes(curves.begin(), curves.end(), inSvg.begin(), inSvg.end()));
        // Bounded by the samples: a few dozen bytes each at most.
        EXPECT_LT(svg.size(), 64u * (3 * 1024 * 4 + size_t(s.width) * 8));
    }
}

TEST(SvgWriter, DocumentHeadAndSavingThroughAReplacement) {
    Plotter plotter;
    plotter.SetCanvas(nullptr, 0, 40, 30); // no pixels needed
    EquationSlots equations = {"x"};
    GraphStyle style;
    const std::string svg = GraphSvg(plotter, equations, style);
    EXPECT_EQ(
        svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/"
                  "2000/svg\" version=\"1.1\" width=\"40\" height=\"30\" viewBox=\"0 0 40 "
                  "30\">\n<rect width=\"40\" height=\"30\" fill=\"#ffffff\"/>\n",
                  0),
        0u);
    plotter.SetCanvas(nullptr, 0, 0, 30);
    EXPECT_EQ(GraphSvg(plotter, equations, style), "");

    ScratchFolder folder;
    const std::string target = folder.file("graph.svg");
    raster_test::WriteBytes(target, {'o', 'l', 'd'});
    EXPECT_FALSE(SaveSvg("", target.c_str()));
    EXPECT_FALSE(SaveSvg(svg, folder.file("missing/graph.svg").c_str()));
    EXPECT_EQ(raster_test::ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    ASSERT_TRUE(SaveSvg(svg, target.c_str()));
    EXPECT_EQ(raster_test::ReadBytes(target), std::vector<uint8_t>(svg.begin(), svg.end()));
#ifndef _WIN32
    EXPECT_FALSE(SaveSvg(svg, raster_test::FullDevice().c_str()));
#endif
}

} // namespace
