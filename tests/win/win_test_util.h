// Shared pieces of the Windows tests: the application made for real, and a
// hook that answers message boxes and records what they said.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/graphapp.h"
#include "prefs/graph_prefs.h"

// What a message box showed.
struct ShownMessage {
    std::string text;
    std::wstring wideText; // the text as shown, any characters
    std::string caption;
    std::string icon; // "warning", "error", "information", "question" or ""
};

// While it lives, every message box of this thread is recorded and closed
// as soon as it appears: with the next queued answer, or with IDOK when
// none is queued.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<ShownMessage>& Shown() const;
    // Forgets what was shown and the answers still queued.
    void Clear();
    // The button (IDYES, IDNO, IDCANCEL...) that answers the next box.
    void Answer(int button);
};

// Drives modal dialogs the way a user would, through their messages: the
// steps run in order, from a timer of this thread, inside whichever message
// loop is running (a modal dialog's included). A step returns true when it
// is done and false to be tried again at the next tick, so it can wait for
// a window to appear. While its steps run, the message box answerer leaves
// dialogs alone; once every step has run, it answers message boxes again. A
// step still waiting after 10 s fails the test, and every dialog of the
// thread is then cancelled so that the test goes on.
class DialogScript {
public:
    using Step = std::function<bool()>;
    // With `required` false, steps that never run are no failure (for a
    // dialog that may rightly not appear).
    explicit DialogScript(std::vector<Step> steps, bool required = true);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Every step has run.
    bool Done() const;

private:
    friend void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> steps;
    size_t next = 0;
    DWORD waitingSince = 0;
    bool running = false;
    bool failed = false;
    bool required = true;
    UINT_PTR timer = 0;
};

// The visible dialog (class #32770) of this thread with this caption; null
// when there is none.
HWND FindDialog(const char* caption);

// Presses a button of a dialog the way a click does (BN_CLICKED).
void PostClick(HWND dialog, int id);

// Answers the export's "Save As" dialog: chooses file type `filter` (1 PNG,
// 2 Bitmap, 3 SVG) as a choice from the list does, types `name` and presses
// Save.
void AnswerSaveAs(HWND dialog, const std::string& name, int filter);

// What a window shows: its client area as 32-bit pixels 0x00RRGGBB, rows
// top to bottom.
std::vector<uint32_t> ShownPixels(HWND window);

// Runs a command line to its end and returns its exit code, or -1 when it
// could not start; with `output`, its standard output goes to that file,
// with `errors`, its standard error to that one.
DWORD RunProgram(const std::string& command, const std::string& output = "",
                 const std::string& errors = "");

// A path in the temporary folder.
std::string TempPath(const char* name);

// Removes every message waiting for this thread, WM_QUIT included.
void DrainMessages();

// Deletes the program's registry key under both roots.
void ClearProgramKey();

// A GraphApp with its windows, as the entry point makes it, with message
// boxes answered.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets an equation slot (1 to 8) or any dialog field.
    void SetSlot(int slot, const char* text);
    void SetField(int id, const char* text);
    std::string Field(int id) const;
    // Presses the Plot button the way a click does.
    void ClickPlot();
    // Sends a menu command to the frame.
    void Menu(int id);
    // Presses a button of the main dialog the way a click does.
    void Click(int id);
    // Ends the application as the entry point does (without saving) and
    // starts a new one, which reads what the registry holds.
    void Restart();
    // Runs queued messages through the application's own message loop.
    void Pump();
    // Posts a keyboard message to the main dialog with a modifier key
    // (VK_CONTROL, VK_MENU) held down, and runs it through the loop.
    void KeyWith(int modifier, UINT message, WPARAM key, LPARAM lParam);
    // Runs a key pressed with a modifier through the frame's accelerator
    // table, as the message loop does, and its command to its end (also one
    // that opens a modal dialog, which a DialogScript then drives).
    void Accelerator(int modifier, WPARAM key);
    uint32_t Pixel(int x, int y) const;
    // How many canvas pixels have this colour.
    size_t CountColor(uint32_t color) const;
    // The canvas holds exactly what the portable renderer draws for the
    // application's view, mode, accepted equations and colours.
    bool CanvasIsRendered() const;

    std::unique_ptr<GraphApp> app;
    std::unique_ptr<OrvantaPrefs> prefs;
    std::unique_ptr<MessageBoxAnswerer> answerer;
};
