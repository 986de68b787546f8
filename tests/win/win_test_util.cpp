#include "win_test_util.h"

#include "res/resource.h"

namespace {

HHOOK hook = nullptr;
std::vector<ShownMessage> shown;

// Finds the icon a message box shows by comparing its icon control's image
// with the system icons.
std::string IconOf(HWND box) {
    const struct {
        LPCSTR id;
        const char* name;
    } icons[] = {{MAKEINTRESOURCEA(32515), "warning"},
                 {MAKEINTRESOURCEA(32513), "error"},
                 {MAKEINTRESOURCEA(32516), "information"},
                 {MAKEINTRESOURCEA(32514), "question"}};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        HICON shownIcon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        for (const auto& icon : icons)
            if (shownIcon && shownIcon == LoadIconA(nullptr, icon.id))
                return icon.name;
    }
    return "";
}

std::string TextOf(HWND box) {
    // The message text is the static control with id 0xFFFF.
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770") {
            char caption[256] = {};
            GetWindowTextA(window, caption, sizeof caption);
            shown.push_back({TextOf(window), caption, IconOf(window)});
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

const int kSlotIds[8] = {IDC_EQUATION1, IDC_EQUATION2, IDC_EQUATION3, IDC_EQUATION4,
                         IDC_EQUATION5, IDC_EQUATION6, IDC_EQUATION7, IDC_EQUATION8};

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer() {
    shown.clear();
    hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
}

const std::vector<ShownMessage>& MessageBoxAnswerer::Shown() const { return shown; }
void MessageBoxAnswerer::Clear() { shown.clear(); }

void ClearProgramKey() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteTreeA(root, "Software\\Pellmora\\Orvanta\\1.x");
}

void AppTest::SetUp() {
    ClearProgramKey();
    answerer = std::make_unique<MessageBoxAnswerer>();
    app = std::make_unique<GraphApp>();
    prefs = std::make_unique<OrvantaPrefs>(app.get());
    app->Init(GetModuleHandleA(nullptr), prefs.get());
    ASSERT_TRUE(app->InitWindows());
    Pump();
}

void AppTest::TearDown() {
    prefs.reset();
    app.reset();
    answerer.reset();
    ClearProgramKey();
}

void AppTest::SetSlot(int slot, const char* text) { SetField(kSlotIds[slot - 1], text); }

void AppTest::SetField(int id, const char* text) { SetDlgItemTextA(app->mainDialog, id, text); }

std::string AppTest::Field(int id) const {
    char text[1000] = {};
    GetDlgItemTextA(app->mainDialog, id, text, sizeof text);
    return text;
}

void AppTest::ClickPlot() {
    SendMessageA(app->mainDialog, WM_COMMAND, MAKEWPARAM(IDC_PLOT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(app->mainDialog, IDC_PLOT)));
}

void AppTest::Menu(int id) { SendMessageA(app->frameWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void AppTest::Pump() {
    PostQuitMessage(0);
    app->MessageLoop();
}

uint32_t AppTest::Pixel(int x, int y) const {
    return app->canvas.bits()[static_cast<size_t>(y) * app->canvas.Width() + x];
}

size_t AppTest::CountColor(uint32_t color) const {
    const size_t n = static_cast<size_t>(app->canvas.Width()) * app->canvas.Height();
    size_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += app->canvas.bits()[i] == color;
    return count;
}
