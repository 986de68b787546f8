// Relations in the window: their cells drawn as they are decided, Exact
// curves, the window answering while a hard relation refines, exports that
// wait for the decision, and documents that carry relations.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/raster_test_util.h"
#include "res/resource.h"
#include "win_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;
using raster_test::ReadBytes;

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF;
const char kDisc[] = "x^2+y^2<=25";
// The square never changes sign and few points of the circle are pairs of
// doubles: most cells along the circle stay undecided until the time runs
// out.
const char kHard[] = "(x^2+y^2-25)^2=0";

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// `pixel` is `color` at `percent` % over `below`, channel by channel, to the
// nearest of the 0-255 values (either neighbour where it is a tie).
bool IsBlend(uint32_t pixel, uint32_t color, uint32_t below, int percent) {
    for (int shift : {16, 8, 0}) {
        const double exact = (((color >> shift) & 0xFF) * percent +
                              ((below >> shift) & 0xFF) * (100 - percent)) /
                             100.0;
        if (std::fabs(((pixel >> shift) & 0xFF) - exact) > 0.5)
            return false;
    }
    return true;
}

class RelationWindow : public AppTest {
protected:
    void TearDown() override {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
        AppTest::TearDown();
    }

    // Runs the message loop until the relations are decided (or `limit`
    // passes); true when they are.
    bool PumpUntilDecided(std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto end = Clock::now() + limit;
        while (!app->decisions.Ended() && Clock::now() < end) {
            Pump();
            Sleep(5);
        }
        Pump(); // the last maps
        return app->decisions.Ended();
    }
    // Runs the message loop until slot `slot` (1 to 8) has a map.
    bool PumpUntilMapped(int slot, std::chrono::seconds limit = std::chrono::seconds(10)) {
        const auto end = Clock::now() + limit;
        while (!app->model.relationMaps[slot - 1] && Clock::now() < end) {
            Pump();
            Sleep(1);
        }
        return app->model.relationMaps[slot - 1] != nullptr;
    }
    uint32_t PixelAt(double x, double y) const {
        return Pixel(app->plotter.XToColumn(x), app->plotter.YToRow(y));
    }
    // Gives the graph pane this size.
    void SizeGraph(int width, int height) {
        RECT graph, frame;
        GetClientRect(app->graphControl, &graph);
        GetWindowRect(app->frameWindow, &frame);
        SetWindowPos(app->frameWindow, nullptr, 0, 0,
                     frame.right - frame.left + width - graph.right,
                     frame.bottom - frame.top + height - graph.bottom, SWP_NOZORDER);
        Pump();
    }
    std::string ListText() const {
        char text[8192] = {};
        GetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_LIST, text, sizeof text);
        return text;
    }
    std::string Folder() {
        if (folder.empty()) {
            folder = TempPath("orvanta-relations");
            std::filesystem::remove_all(folder);
            std::filesystem::create_directories(folder);
        }
        return folder;
    }
    // File > Export to `name`, choosing file type `filter` (1 PNG, 3 SVG).
    void ExportAs(const std::string& name, int filter) {
        DialogScript script({[] { return FindDialog("Save As") != nullptr; },
                             [&] {
                                 AnswerSaveAs(FindDialog("Save As"), name, filter);
                                 return true;
                             }});
        Menu(IDM_EXPORT);
    }

    std::string folder;
};

// The disc's inside takes the slot's colour at 30 %, its boundary the full
// colour, the outside keeps the background; the Analysis window counts its
// undecided cells and lists no points for it, while a curve beside it keeps
// its points. Also reports how long the first picture of a circle takes at
// 800x600.
TEST_F(RelationWindow, PlottedRelationShowsItsCells) {
    SizeGraph(800, 600);
    SetSlot(1, "x^2+y^2=25");
    const auto plotted = Clock::now();
    ClickPlot();
    ASSERT_TRUE(PumpUntilMapped(1));
    const double first = Ms(Clock::now() - plotted);
    std::printf("first picture of x^2+y^2=25 at %dx%d: %.1f ms after Plot\n", app->plotter.width,
                app->plotter.height, first);
    RecordProperty("first_picture_ms", std::to_string(first));

    SetSlot(1, kDisc);
    SetSlot(2, "x/2");
    ClickPlot();
    ASSERT_TRUE(PumpUntilDecided());
    Menu(IDM_ANALYSIS); // shown after the counts changed
    const auto& map = app->model.relationMaps[0];
    ASSERT_TRUE(map);
    EXPECT_EQ(map->width, app->plotter.width);
    EXPECT_EQ(map->height, app->plotter.height);
    EXPECT_EQ(map->Count(CellState::Undecided), 0u);
    EXPECT_FALSE(app->model.relationMaps[1]) << "a curve is drawn from samples";

    const struct {
        double x, y;
        const char* what;
        uint32_t expected; // 0: the 30 % blend
    } cells[] = {
        {1, 1, "inside", 0},         {-2.5, -3.5, "inside", 0},      {3, 4, "boundary", kRed},
        {-4, -3, "boundary", kRed}, {8, 8, "outside", kWhite}, {-9, 7, "outside", kWhite},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.what);
        const uint32_t pixel = PixelAt(c.x, c.y);
        if (c.expected == 0)
            EXPECT_TRUE(IsBlend(pixel, kRed, kWhite, 30)) << std::hex << pixel;
        else
            EXPECT_EQ(pixel, c.expected) << std::hex << pixel;
    }

    const auto listed = Clock::now() + std::chrono::seconds(20);
    while (ListText().find("zero y2") == std::string::npos && Clock::now() < listed) {
        Pump();
        Sleep(5);
    }
    const std::string list = ListText();
    EXPECT_EQ(list.rfind("relation y1: all cells decided\r\n", 0), 0u) << list;
    EXPECT_NE(list.find("zero y2 x=0 y=0"), std::string::npos) << list;
    EXPECT_EQ(list.find(" y1 "), std::string::npos) << "no points of a relation: " << list;
    EXPECT_TRUE(answerer->Shown().empty());
}

// Exact curves: the check box beside Smooth curves, its registry value
// (written only once it has been turned on, then kept up to date), and
// tan(x) drawn without the line the samples join across its pole.
TEST_F(RelationWindow, ExactCurvesDrawTanWithoutThePoleLine) {
    SetSlot(1, "tan(x)");
    ClickPlot();
    app->SavePreferences();
    int32_t stored = -1;
    EXPECT_FALSE(app->ReadIntEither("Exact_Curves", &stored)) << "stored without being used";

    // The columns around the pole at pi/2 (the axes are elsewhere).
    auto poleColumns = [&] {
        size_t red = 0;
        const int32_t pole = app->plotter.XToColumn(std::acos(-1.0) / 2);
        for (int32_t c = pole - 2; c <= pole + 2; ++c)
            for (int32_t r = 0; r < app->plotter.height; ++r)
                red += Pixel(c, r) == kRed;
        return red;
    };
    ASSERT_GT(poleColumns(), static_cast<size_t>(app->plotter.height / 2))
        << "joined samples draw the pole's line";

    {
        DialogScript script({[] {
            HWND d = FindDialog("Options");
            if (!d)
                return false;
            char text[32] = {};
            GetDlgItemTextA(d, IDC_EXACT_CURVES, text, sizeof text);
            EXPECT_STREQ(text, "Exact curves");
            EXPECT_NE(IsDlgButtonChecked(d, IDC_EXACT_CURVES), BST_CHECKED);
            PostMessageA(GetDlgItem(d, IDC_EXACT_CURVES), BM_CLICK, 0, 0);
            PostClick(d, IDOK);
            return true;
        }});
        Menu(IDM_OPTIONS);
    }
    EXPECT_TRUE(app->model.style.exactCurves);
    ASSERT_TRUE(PumpUntilDecided());
    ASSERT_TRUE(app->model.relationMaps[0]) << "the curve is decided cell by cell";
    EXPECT_EQ(app->model.relationMaps[0]->Count(CellState::Undecided), 0u);
    EXPECT_EQ(poleColumns(), 0u) << "no line at the pole";
    EXPECT_EQ(PixelAt(1, std::tan(1.0)), kRed) << "the curve itself is drawn";

    app->SavePreferences();
    ASSERT_TRUE(app->ReadIntEither("Exact_Curves", &stored));
    EXPECT_EQ(stored, 1);
    Restart();
    EXPECT_TRUE(app->model.style.exactCurves) << "not read back";
    app->ApplyOptions(app->defaultOptions);
    app->SavePreferences();
    ASSERT_TRUE(app->ReadIntEither("Exact_Curves", &stored));
    EXPECT_EQ(stored, 0) << "the stored value follows the option";
}

// While a hard relation refines, zoom and pan steps return at once, the
// message loop keeps answering (the longest gap between two of its turns is
// reported and held to a generous bound), each new view shows its cells, and
// the program ends promptly in the middle of it all.
TEST_F(RelationWindow, WindowAnswersWhileAHardRelationRefines) {
    SetSlot(1, kHard);
    ClickPlot();
    ASSERT_TRUE(PumpUntilMapped(1));
    ASSERT_FALSE(app->decisions.Ended()) << "the relation must still be refining";

    double longestStep = 0, longestGap = 0;
    const struct {
        const char* what;
        std::function<void()> step;
    } steps[] = {
        {"zoom in", [&] { app->ZoomIn(); }},
        {"pan", [&] {
             app->BeginDrag(100, 100);
             app->DragTo(130, 90);
             app->EndDrag(140, 80);
         }},
        {"zoom out", [&] { app->ZoomOut(); }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        const auto before = Clock::now();
        s.step();
        longestStep = std::max(longestStep, Ms(Clock::now() - before));
        EXPECT_FALSE(app->model.relationMaps[0]) << "the old view's cells are not shown";
        // Turns of the message loop for a while, as the user's messages come.
        auto last = Clock::now();
        const auto end = last + std::chrono::milliseconds(1500);
        while (Clock::now() < end) {
            PostMessageA(app->frameWindow, WM_NULL, 0, 0);
            Pump();
            const auto now = Clock::now();
            longestGap = std::max(longestGap, Ms(now - last));
            last = now;
            Sleep(2);
        }
        EXPECT_TRUE(app->model.relationMaps[0]) << "the new view's first pass came";
        EXPECT_FALSE(app->decisions.Ended());
    }
    std::printf("while refining: longest zoom or pan step %.1f ms, longest gap between "
                "turns of the message loop %.1f ms\n",
                longestStep, longestGap);
    RecordProperty("longest_gap_ms", std::to_string(longestGap));
    EXPECT_LT(longestStep, 1000.0);
    EXPECT_LT(longestGap, 1000.0);

    // Exit stops the work first (see GraphApp::Run).
    const auto exiting = Clock::now();
    app->decisions.Stop();
    const double exit = Ms(Clock::now() - exiting);
    std::printf("stopping the work while refining: %.1f ms\n", exit);
    EXPECT_LT(exit, 1000.0);
}

// An export right after Plot waits for the decision, then saves what the
// screen shows: the PNG holds the pane's pixels, the SVG the model's.
TEST_F(RelationWindow, ExportsWaitForTheDecisionAndEqualTheScreen) {
    SetSlot(1, kDisc);
    SetSlot(3, kHard); // refines for its whole time
    ClickPlot();
    ASSERT_FALSE(app->decisions.Ended());
    const std::string png = Folder() + "\\relation.png";
    ExportAs(png, 1);
    EXPECT_TRUE(app->decisions.Ended()) << "the export waited for the decision";
    ASSERT_TRUE(app->model.relationMaps[0] && app->model.relationMaps[2]);
    const raster_test::DecodedPng image = raster_test::DecodePng(ReadBytes(png));
    const std::vector<uint32_t> shown = ShownPixels(app->graphControl);
    ASSERT_EQ(image.width * image.height, shown.size());
    std::vector<uint8_t> rgb;
    for (uint32_t word : shown)
        rgb.insert(rgb.end(), {uint8_t(word >> 16), uint8_t(word >> 8), uint8_t(word)});
    EXPECT_TRUE(image.pixels == rgb) << "the PNG differs from the screen";

    const std::string svgPath = Folder() + "\\relation.svg";
    ExportAs(svgPath, 3);
    const std::vector<uint8_t> bytes = ReadBytes(svgPath);
    const std::string svg = app->model.Svg();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), svg);
    EXPECT_NE(svg.find("<path"), std::string::npos) << "the relations are paths";
    EXPECT_TRUE(answerer->Shown().empty());
}

// Save writes the relations' texts and Open brings them back, decided and
// drawn as before.
TEST_F(RelationWindow, DocumentWithRelationsRoundTrips) {
    SetSlot(1, kDisc);
    SetSlot(2, "x/2");
    SetSlot(4, "0<=y<sqrt(x)");
    ClickPlot();
    ASSERT_TRUE(PumpUntilDecided());
    const std::vector<uint32_t> before(app->canvas.bits(),
                                       app->canvas.bits() +
                                           app->canvas.Width() * app->canvas.Height());
    const std::wstring path = std::filesystem::path(Folder() + "\\relations.orv").wstring();
    ASSERT_TRUE(app->session.SaveDocument(path));

    Menu(IDM_NEW);
    Pump();
    EXPECT_EQ(Field(IDC_EQUATION1), "");
    EXPECT_FALSE(app->model.relationMaps[0]);
    ASSERT_TRUE(app->session.OpenDocument(path));
    EXPECT_EQ(Field(IDC_EQUATION1), kDisc);
    EXPECT_EQ(Field(IDC_EQUATION4), "0<=y<sqrt(x)");
    ASSERT_TRUE(PumpUntilDecided());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), app->canvas.bits()))
        << "the opened graph differs from the saved one";
    EXPECT_TRUE(answerer->Shown().empty());
}

} // namespace
