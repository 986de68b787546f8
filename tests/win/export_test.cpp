// File > Export with the real save dialog, answered the way a user answers
// it: a name typed, a file type chosen, Save pressed.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plot/export_image.h"
#include "raster/raster_test_util.h"
#include "res/resource.h"
#include "src/log.h"
#include "src/shown_text.h"
#include "win_test_util.h"

namespace {

using raster_test::ReadBytes;

// The diagnostics log's messages while a LogCapture lives.
std::vector<std::string> logged;

void CaptureLog(uint32_t, uint32_t, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    logged.push_back(text);
}

struct LogCapture {
    LogCapture() : sink(logGetSink()), context(logGetContext()) {
        logged.clear();
        logSetSink(&CaptureLog, 0);
    }
    ~LogCapture() { logSetSink(sink, context); }
    LogSink sink;
    uint32_t context;
};

class Export : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        folder = TempPath("orvanta-export");
        CreateDirectoryA(folder.c_str(), nullptr);
        SetSlot(1, "sin(x)*5");
        SetSlot(2, "x/2");
        ClickPlot();
    }
    void TearDown() override {
        for (const char* name :
             {"plot", "plot.BMP", "plot.PNG", "plot.png", "plot.SVG", "locked.png"}) {
            SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(Path(name).c_str());
        }
        RemoveDirectoryA(folder.c_str());
        AppTest::TearDown();
    }
    std::string Path(const char* name) const { return folder + "\\" + name; }

    // The hook put the dialog half of the width it lacks from the frame's
    // left (its height changes after the hook has run, which the hook's own
    // test covers).
    void ExpectCentred(HWND dialog) const {
        RECT frame, d;
        GetWindowRect(app->frameWindow, &frame);
        GetWindowRect(dialog, &d);
        const LONG dx = (frame.right - frame.left) - (d.right - d.left);
        EXPECT_EQ(d.left, dx > 0 ? dx / 2 : 0);
    }

    // Exports, typing `name` and choosing file type `filter` (1 PNG, 2
    // Bitmap, 3 SVG); with `checkPlace`, checks where the hook put the dialog. The
    // command comes from the menu, the Export button or Ctrl+E.
    enum Trigger { FromMenu, FromButton, FromKeyboard };
    void ExportAs(const std::string& name, int filter, bool checkPlace = false,
                  Trigger trigger = FromMenu) {
        // The dialog finishes setting itself up with messages of its own, which
        // all come before the next tick: the answer waits for that tick.
        DialogScript script({[&] { return FindDialog("Save As") != nullptr; },
                             [&] {
                                 HWND dialog = FindDialog("Save As");
                                 if (checkPlace)
                                     ExpectCentred(dialog);
                                 HWND types = GetDlgItem(dialog, cmb1);
                                 EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), 0)
                                     << "PNG comes first";
                                 char third[64] = {};
                                 if (SendMessageA(types, CB_GETLBTEXTLEN, 2, 0) < 64)
                                     SendMessageA(types, CB_GETLBTEXT, 2,
                                                  reinterpret_cast<LPARAM>(third));
                                 EXPECT_STREQ(third, "SVG Files (*.svg)");
                                 AnswerSaveAs(dialog, name, filter);
                                 return true;
                             }});
        if (trigger == FromButton)
            Click(IDC_EXPORT);
        else if (trigger == FromKeyboard)
            Accelerator(VK_CONTROL, 'E');
        else
            Menu(IDM_EXPORT);
    }

    std::string folder;
};

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsBmp(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 54 && bytes[0] == 'B' && bytes[1] == 'M';
}

// The canvas as rows of R, G, B bytes, top to bottom.
std::vector<uint8_t> CanvasRgb(const Canvas& canvas) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < canvas.Width() * canvas.Height(); ++i) {
        const uint32_t word = canvas.bits()[i];
        rgb.insert(rgb.end(), {uint8_t(word >> 16), uint8_t(word >> 8), uint8_t(word)});
    }
    return rgb;
}

TEST_F(Export, ExtensionFollowsTheFilterOnlyWhenTheNameHasNone) {
    const struct {
        const char* typed;
        int filter;
        Trigger trigger;
        const char* written;
        bool bmp;
    } cases[] = {
        {"plot", 2, FromKeyboard, "plot.BMP", true},
        {"plot", 1, FromButton, "plot.PNG", false},
        {"plot.png", 2, FromMenu, "plot.png", true}, // BMP data under the name typed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " with filter " + std::to_string(c.filter));
        ExportAs(Path(c.typed), c.filter, true, c.trigger);
        const std::vector<uint8_t> bytes = ReadBytes(Path(c.written));
        ASSERT_FALSE(bytes.empty()) << "nothing written to " << c.written;
        EXPECT_EQ(IsBmp(bytes), c.bmp);
        DeleteFileA(Path(c.written).c_str());
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

// The SVG filter writes the writer's document of the graph as drawn, with
// ".SVG" added to a bare name; smooth curves make no difference to it.
TEST_F(Export, SvgFilterWritesTheGraphAsVectors) {
    app->model.style.smoothCurves = true;
    app->Render();
    ExportAs(Path("plot"), 3);
    const std::vector<uint8_t> bytes = ReadBytes(Path("plot.SVG"));
    const std::string svg = app->model.Svg();
    ASSERT_FALSE(svg.empty());
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == svg)
        << "the file differs from the writer's SVG";
    RECT graph;
    GetClientRect(app->graphControl, &graph);
    const std::string size = "width=\"" + std::to_string(graph.right) + "\" height=\"" +
                             std::to_string(graph.bottom) + "\"";
    EXPECT_NE(svg.find(size), std::string::npos) << size;
    EXPECT_NE(svg.find("stroke=\"#ff0000\""), std::string::npos) << "the first curve's colour";
    EXPECT_TRUE(answerer->Shown().empty());
}

// The PNG holds exactly the Graph control's pixels at its size, and the BMP
// is the canvas's own.
TEST_F(Export, FilesHoldTheGraphAsShown) {
    char before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    ExportAs(Path("plot"), 1);
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "the dialog's folder must not become the current one";
    const raster_test::DecodedPng png = raster_test::DecodePng(ReadBytes(Path("plot.PNG")));
    RECT graph;
    GetClientRect(app->graphControl, &graph);
    EXPECT_EQ(png.width, static_cast<uint32_t>(graph.right));
    EXPECT_EQ(png.height, static_cast<uint32_t>(graph.bottom));
    EXPECT_EQ(png.colorType, 2);
    EXPECT_TRUE(png.pixels == CanvasRgb(app->canvas)) << "the PNG's pixels differ from the canvas";

    ExportAs(Path("plot"), 2);
    const std::string reference = Path("reference.bmp");
    ASSERT_TRUE(app->canvas.SaveBMP(reference.c_str()));
    EXPECT_EQ(ReadBytes(Path("plot.BMP")), ReadBytes(reference));
    DeleteFileA(reference.c_str());
}

// The same picture as orvanta-cli plot draws for the same equations, ranges
// and size, pixel for pixel.
TEST_F(Export, PngEqualsTheCommandLineTools) {
    ExportAs(Path("plot"), 1);
    const std::string tool = Path("tool.png");
    char command[2048];
    snprintf(command, sizeof command, "\"%s\" plot --size %dx%d -o \"%s\" \"sin(x)*5\" \"x/2\"",
             ORVANTA_CLI_PATH, app->canvas.Width(), app->canvas.Height(), tool.c_str());
    ASSERT_EQ(RunProgram(command), 0u) << command;
    const raster_test::DecodedPng ours = raster_test::DecodePng(ReadBytes(Path("plot.PNG")));
    const raster_test::DecodedPng theirs = raster_test::DecodePng(ReadBytes(tool));
    EXPECT_EQ(ours.width, theirs.width);
    EXPECT_EQ(ours.height, theirs.height);
    EXPECT_TRUE(ours.pixels == theirs.pixels);
    DeleteFileA(tool.c_str());
}

TEST_F(Export, SecondExportReplacesTheFileWithoutAsking) {
    ExportAs(Path("plot.png"), 1);
    const std::vector<uint8_t> first = ReadBytes(Path("plot.png"));
    SetSlot(1, "");
    ClickPlot();
    ExportAs(Path("plot.png"), 1);
    const std::vector<uint8_t> second = ReadBytes(Path("plot.png"));
    EXPECT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(raster_test::DecodePng(second).pixels == CanvasRgb(app->canvas));
    EXPECT_TRUE(answerer->Shown().empty()) << "no question, no message";
}

// Each failure shows the one message, logs why, keeps what was on disk,
// and the program goes on.
TEST_F(Export, FailuresShowTheMessageAndKeepTheOldFile) {
    const LogCapture capture;
    raster_test::WriteBytes(Path("locked.png"), {'o', 'l', 'd'});
    SetFileAttributesA(Path("locked.png").c_str(), FILE_ATTRIBUTE_READONLY);
    const struct {
        const char* name;
        std::string path;
        int filter;
        const char* reason;
    } cases[] = {
        {"missing folder, PNG", Path("missing\\plot.png"), 1, "no such file or directory"},
        {"missing folder, BMP", Path("missing\\plot.bmp"), 2, "no such file or directory"},
        {"read-only file, PNG", Path("locked.png"), 1, "permission denied"},
        {"read-only file, BMP", Path("locked.png"), 2, "permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answerer->Clear();
        ExportAs(c.path, c.filter);
        ASSERT_EQ(answerer->Shown().size(), 1u);
        EXPECT_EQ(answerer->Shown()[0].text, "Error saving image");
        EXPECT_EQ(answerer->Shown()[0].caption, "Error");
        EXPECT_EQ(answerer->Shown()[0].icon, "error");
        ASSERT_FALSE(logged.empty());
        EXPECT_EQ(logged.back(),
                  "Error saving image \"" + EscapeControlCharacters(c.path) + "\": " + c.reason);
    }
    EXPECT_EQ(ReadBytes(Path("locked.png")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(PathExists(Path("missing")));

    // Without an export image the PNG cannot be made.
    answerer->Clear();
    app->exportImage.reset();
    ExportAs(Path("plot"), 1);
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Error saving image");
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), "Error saving image \"" + EscapeControlCharacters(Path("plot.PNG")) +
                                 "\": no export image (no memory when the canvas was laid out)");
    ClickPlot();
    EXPECT_TRUE(CanvasIsRendered()) << "the program goes on";
}

TEST_F(Export, CancelWritesNothing) {
    DialogScript script({[] {
        HWND dialog = FindDialog("Save As");
        if (!dialog)
            return false;
        PostClick(dialog, IDCANCEL);
        return true;
    }});
    Menu(IDM_EXPORT);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            entries +=
                std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(entries, 0);
    EXPECT_TRUE(answerer->Shown().empty());
}

// The hook moves the dialog to (dx / 2, dy / 3) of the screen, dx and dy
// being what its parent is wider and higher; without a parent, what the
// full screen's client area is.
TEST(CentreDialogHook, PlacesTheDialogFromTheScreenOrigin) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND frame = CreateWindowExA(0, "Static", "", WS_POPUP, 300, 200, 800, 600, nullptr, nullptr,
                                 instance, nullptr);
    const int fullWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    const int fullHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    const struct {
        HWND owner;
        int width, height;
        POINT expected;
    } cases[] = {
        {frame, 300, 200, {250, 133}},
        {frame, 900, 100, {0, 166}},
        {frame, 100, 700, {350, 0}},
        {nullptr, 300, 200, {(fullWidth - 300) / 2, (fullHeight - 200) / 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.owner ? "" : " alone"));
        HWND dialog = CreateWindowExA(0, "Static", "", WS_POPUP, 17, 19, c.width, c.height, c.owner,
                                      nullptr, instance, nullptr);
        HWND hook = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 10, 10, dialog, nullptr,
                                    instance, nullptr);
        EXPECT_EQ(CentreDialogHook(hook, WM_INITDIALOG, 0, 0), 0u);
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, c.expected.x);
        EXPECT_EQ(r.top, c.expected.y);
        EXPECT_EQ(r.right - r.left, c.width) << "the size stays";
        DestroyWindow(dialog);
    }
    DestroyWindow(frame);
}

} // namespace
