// The offer of a newer version: the update check of start-up, running
// beside the message loop, and the newer-version dialog for what it finds.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "update/sarvel.h"

// What the offer says about the program, and the preference store that
// keeps the version the user chose not to be reminded of.
struct OfferedProgram {
    std::string installedVersion; // "1.1"
    std::string displayName;      // in the dialog's title
    std::string title;            // in its headline
    // Reads a text value of the program's preferences, "" when there is none
    // (or it does not fit 255 characters); writes one.
    std::function<std::string(const char* name)> readText;
    std::function<void(const char* name, const char* text)> writeText;
};

class UpdateOffer {
public:
    UpdateOffer(std::string descriptorUrl, OfferedProgram program);

    // Starts checking the descriptor for a version newer than the installed
    // one; when the check ends, `message` is posted to `frame`, which owns
    // the dialog. Without a thread there is no check (and no message).
    void Start(HWND frame, UINT message);
    // The check's message arrived: once the check has ended and the frame is
    // enabled (no message box or modal dialog over it), offers what it
    // found, at most once. While the frame is disabled the offer waits for
    // FrameEnabled.
    void CheckEnded();
    // The frame was enabled again: an offer that waited for it is asked for
    // once more, with the check's message.
    void FrameEnabled();
    // A check was started and has not ended.
    bool Pending() const;
    // A check has ended and its result was not handled yet.
    bool Waiting() const;

    // Shows the newer-version dialog over `owner` for what `checker` found,
    // unless the user chose not to be reminded of exactly that version.
    void Offer(HWND owner, const Sarvel& checker) const;

    // The descriptor checked; the vendor's, unless a test points it at a
    // server of its own.
    std::string url;

private:
    OfferedProgram program;
    HWND frame = nullptr;
    UINT message = 0;
    // The check started, until its result has been handled.
    std::shared_ptr<UpdateCheck> check;
};
