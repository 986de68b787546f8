#include "win_test_util.h"

#include <cstring>

#include <dlgs.h>

#include "plot/render.h"
#include "res/resource.h"

namespace {

HHOOK hook = nullptr;
std::vector<ShownMessage> shown;
std::vector<int> answers; // queued, the next first
DialogScript* script = nullptr;

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

std::wstring WideTextOf(HWND box) {
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return text;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if ((!script || script->Done()) && std::string(className) == "#32770") {
            char caption[256] = {};
            GetWindowTextA(window, caption, sizeof caption);
            shown.push_back({TextOf(window), WideTextOf(window), caption, IconOf(window)});
            int button = IDOK;
            if (!answers.empty()) {
                button = answers.front();
                answers.erase(answers.begin());
            }
            PostMessageA(window, WM_COMMAND, button, 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

const int kSlotIds[8] = {IDC_EQUATION1, IDC_EQUATION2, IDC_EQUATION3, IDC_EQUATION4,
                         IDC_EQUATION5, IDC_EQUATION6, IDC_EQUATION7, IDC_EQUATION8};

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer() {
    shown.clear();
    answers.clear();
    hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
}

const std::vector<ShownMessage>& MessageBoxAnswerer::Shown() const {
    return shown;
}
void MessageBoxAnswerer::Clear() {
    shown.clear();
    answers.clear();
}
void MessageBoxAnswerer::Answer(int button) {
    answers.push_back(button);
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (script)
        script->Tick();
}

DialogScript::DialogScript(std::vector<Step> newSteps, bool required)
    : steps(std::move(newSteps)), required(required) {
    script = this;
    waitingSince = GetTickCount();
    timer = SetTimer(nullptr, 0, 10, ScriptTick);
}

DialogScript::~DialogScript() {
    KillTimer(nullptr, timer);
    script = nullptr;
    if (required) {
        EXPECT_TRUE(Done()) << "the script stopped before step " << next + 1 << " of "
                            << steps.size();
    }
}

bool DialogScript::Done() const {
    return !failed && next == steps.size();
}

void DialogScript::Tick() {
    // A step that opens a modal dialog runs the ticks of its loop; they must
    // not start the next step before this one has returned.
    if (running || failed || next == steps.size())
        return;
    running = true;
    if (steps[next]()) {
        ++next;
        waitingSince = GetTickCount();
    } else if (required && GetTickCount() - waitingSince > 10000) {
        failed = true;
        ADD_FAILURE() << "step " << next + 1 << " of the dialog script waited in vain";
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    }
    running = false;
}

HWND FindDialog(const char* caption) {
    struct Search {
        const char* caption;
        HWND found;
    } search = {caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            char className[64] = {}, text[256] = {};
            GetClassNameA(window, className, sizeof className);
            GetWindowTextA(window, text, sizeof text);
            if (std::strcmp(className, "#32770") == 0 && std::strcmp(text, s.caption) == 0 &&
                IsWindowVisible(window)) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void AnswerSaveAs(HWND dialog, const std::string& name, int filter) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, filter - 1, 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
    SetDlgItemTextA(dialog, cmb13, name.c_str());
    PostClick(dialog, IDOK);
}

std::vector<uint32_t> ShownPixels(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(words, words + static_cast<size_t>(r.right) * r.bottom);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return pixels;
}

DWORD RunProgram(const std::string& command, const std::string& output,
                 const std::string& errors) {
    struct Closer {
        void operator()(HANDLE file) const {
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    };
    using OwnedFile = std::unique_ptr<void, Closer>;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    // The file a standard handle of the program goes to; none when unnamed.
    auto create = [&](const std::string& name) {
        return OwnedFile(name.empty() ? nullptr
                                      : CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                    &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                    nullptr));
    };
    const OwnedFile out = create(output), err = create(errors);
    if (out.get() == INVALID_HANDLE_VALUE || err.get() == INVALID_HANDLE_VALUE)
        return static_cast<DWORD>(-1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (out || err) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out ? out.get() : GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = err ? err.get() : GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    std::string line = command;
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    if (!started)
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::string TempPath(const char* name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + name;
}

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void ClearProgramKey() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteTreeA(root, "Software\\Pellmora\\Orvanta\\1.x");
}

void AppTest::SetUp() {
    ClearProgramKey();
    answerer = std::make_unique<MessageBoxAnswerer>();
    Restart();
    Pump();
}

void AppTest::Restart() {
    prefs.reset();
    app.reset();
    app = std::make_unique<GraphApp>();
    prefs = std::make_unique<OrvantaPrefs>(app.get());
    app->Init(GetModuleHandleA(nullptr), prefs.get());
    ASSERT_TRUE(app->InitWindows());
}

void AppTest::TearDown() {
    prefs.reset();
    app.reset();
    answerer.reset();
    ClearProgramKey();
}

void AppTest::SetSlot(int slot, const char* text) {
    SetField(kSlotIds[slot - 1], text);
}

void AppTest::SetField(int id, const char* text) {
    SetDlgItemTextA(app->mainDialog, id, text);
}

std::string AppTest::Field(int id) const {
    char text[1000] = {};
    GetDlgItemTextA(app->mainDialog, id, text, sizeof text);
    return text;
}

void AppTest::Click(int id) {
    SendMessageA(app->mainDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(app->mainDialog, id)));
}

void AppTest::ClickPlot() {
    Click(IDC_PLOT);
}

void AppTest::Menu(int id) {
    SendMessageA(app->frameWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void AppTest::Pump() {
    PostQuitMessage(0);
    app->MessageLoop();
}

void AppTest::KeyWith(int modifier, UINT message, WPARAM key, LPARAM lParam) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[modifier] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(app->mainDialog, message, key, lParam);
    Pump();
    keys[modifier] = 0;
    SetKeyboardState(keys);
}

void AppTest::Accelerator(int modifier, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[modifier] = 0x80;
    SetKeyboardState(keys);
    MSG message = {};
    message.hwnd = app->mainDialog;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    EXPECT_TRUE(TranslateAcceleratorA(app->frameWindow, app->accelerators, &message));
    keys[modifier] = 0;
    SetKeyboardState(keys);
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

bool AppTest::CanvasIsRendered() const {
    Canvas reference(app->canvas.Width(), app->canvas.Height());
    Plotter plotter;
    plotter.SetCanvas(reference.bits(), reference.Stride(), reference.Width(), reference.Height());
    plotter.SetRange(app->plotter.xMin, app->plotter.xMax, app->plotter.yMin, app->plotter.yMax);
    plotter.SetStep(app->plotter.tStart, app->plotter.tStop);
    plotter.SetMode(app->plotter.mode);
    GraphStyle style;
    style.graphColors = app->graphColors;
    style.backColor = app->backColor;
    style.axisColor = app->axisColor;
    style.showAxes = app->showAxes;
    RenderGraph(plotter, app->equations, style);
    const size_t bytes = static_cast<size_t>(reference.Stride()) * reference.Height();
    return reference.bits() && std::memcmp(reference.bits(), app->canvas.bits(), bytes) == 0;
}
