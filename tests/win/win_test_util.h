// Shared pieces of the Windows tests: the application made for real, and a
// hook that answers message boxes and records what they said.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/graphapp.h"
#include "prefs/graph_prefs.h"

// What a message box showed.
struct ShownMessage {
    std::string text;
    std::string caption;
    std::string icon; // "warning", "error", "information", "question" or ""
};

// While it lives, every message box of this thread is recorded and closed
// with its default button as soon as it appears.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<ShownMessage>& Shown() const;
    void Clear();
};

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
    // Runs queued messages through the application's own message loop.
    void Pump();
    uint32_t Pixel(int x, int y) const;
    // How many canvas pixels have this colour.
    size_t CountColor(uint32_t color) const;

    std::unique_ptr<GraphApp> app;
    std::unique_ptr<OrvantaPrefs> prefs;
    std::unique_ptr<MessageBoxAnswerer> answerer;
};
