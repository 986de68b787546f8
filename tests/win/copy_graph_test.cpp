// Graph > Copy Graph: the canvas as a bitmap and the graph as SVG on the
// clipboard, read back as another program would; Ctrl+C in a field still
// copies its text; a clipboard held by someone else keeps what it had.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "win_test_util.h"

namespace {

class CopyGraph : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetSlot(1, "sin(x)*5");
        SetSlot(2, "x/2");
        ClickPlot();
        PutText("before");
    }

    // Replaces the clipboard's contents with `text`.
    void PutText(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(app->frameWindow));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_TEXT, block))
            GlobalFree(block);
        CloseClipboard();
    }

    // The bytes of one format on the clipboard; empty when it has none.
    static std::vector<uint8_t> Read(UINT format) {
        std::vector<uint8_t> bytes;
        if (!OpenClipboard(nullptr))
            return bytes;
        if (HANDLE data = GetClipboardData(format)) {
            const auto* p = static_cast<const uint8_t*>(GlobalLock(data));
            if (p)
                bytes.assign(p, p + GlobalSize(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return bytes;
    }

    static std::string Text(UINT format) {
        const std::vector<uint8_t> bytes = Read(format);
        return std::string(reinterpret_cast<const char*>(bytes.data()),
                           strnlen(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

    // Ctrl+Shift+C as the message loop sees it.
    void PressCtrlShiftC() {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        PostMessageA(GetDlgItem(app->mainDialog, IDC_EQUATION1), WM_KEYDOWN, 'C', 0x002E0001);
        Pump();
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    // The canvas as a bottom-up 32-bit DIB would hold it, and the clipboard's
    // CF_DIB pixels as the same words; the header is checked on the way.
    void ExpectBitmapOfTheCanvas() {
        const std::vector<uint8_t> dib = Read(CF_DIB);
        ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib.data(), sizeof header);
        const int32_t w = app->canvas.Width(), h = app->canvas.Height();
        EXPECT_EQ(header.biWidth, w);
        EXPECT_EQ(header.biHeight, h) << "bottom-up";
        EXPECT_EQ(header.biBitCount, 32);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        ASSERT_GE(dib.size(), header.biSize + 4 * size_t(w) * h);
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* row = dib.data() + header.biSize + 4 * size_t(w) * (h - 1 - y);
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t pixel = (row[4 * x + 2] << 16) | (row[4 * x + 1] << 8) | row[4 * x];
                if (pixel != Pixel(x, y)) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " differs from the canvas";
                    return;
                }
            }
        }
    }
};

TEST_F(CopyGraph, MenuAndShortcutPutTheBitmapAndTheSvg) {
    const UINT svgFormat = RegisterClipboardFormatA("image/svg+xml");
    for (bool shortcut : {false, true}) {
        SCOPED_TRACE(shortcut ? "Ctrl+Shift+C" : "Graph > Copy Graph");
        PutText("before");
        if (shortcut)
            PressCtrlShiftC();
        else
            Menu(IDM_COPY_GRAPH);
        ExpectBitmapOfTheCanvas();
        EXPECT_EQ(Text(svgFormat), app->model.Svg());
        EXPECT_EQ(Text(CF_TEXT), "") << "the old contents are replaced";
        // Smooth curves are copied as drawn.
        app->model.style.smoothCurves = true;
        app->Render();
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(CopyGraph, CtrlCInAFieldCopiesItsText) {
    HWND field = GetDlgItem(app->mainDialog, IDC_EQUATION1);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(field, WM_KEYDOWN, 'C', 0x002E0001);
    Pump();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(Text(CF_TEXT), "sin(x)*5");
    EXPECT_TRUE(Read(CF_DIB).empty());
}

// Another thread holds the clipboard open: the message, and the clipboard
// keeps its text.
TEST_F(CopyGraph, BusyClipboardShowsTheMessageAndKeepsItsContents) {
    std::atomic<int> state{0}; // 1: the clipboard is held, 2: let it go
    std::thread holder([&] {
        if (!OpenClipboard(nullptr)) {
            state = -1;
            return;
        }
        state = 1;
        while (state != 2)
            Sleep(5);
        CloseClipboard();
    });
    while (state == 0)
        Sleep(5);
    ASSERT_EQ(state, 1) << "the other thread could not open the clipboard";
    Menu(IDM_COPY_GRAPH);
    state = 2;
    holder.join();
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Cannot copy the graph");
    EXPECT_EQ(answerer->Shown()[0].caption, "Error");
    EXPECT_EQ(answerer->Shown()[0].icon, "error");
    EXPECT_EQ(Text(CF_TEXT), "before");
    EXPECT_TRUE(Read(CF_DIB).empty());
}

} // namespace
