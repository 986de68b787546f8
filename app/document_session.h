// The document session of the main window: which file the graph belongs to,
// whether it was changed since it was opened or saved, the recent files,
// the question before a changed document is dropped, and the title that
// names the document. A document is the graph of a file that was opened or
// saved; without one, the program behaves as it always has.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstddef>
#include <string>

#include "app/recent_files.h"
#include "document/graph_document.h"
#include "prefs/graph_options.h"

// Posted to the frame when something a document holds may have changed; the
// title is brought up to date once for any number of changes.
inline constexpr UINT kUpdateTitleMessage = WM_APP + 1;

// What a document is compared by to tell whether it was modified: the texts
// of the equation, range and step fields, the view, and the display options
// with the mode.
struct DocumentSnapshot {
    std::array<std::string, 14> fields;
    std::array<double, 4> view = {};
    GraphOptions options;

    bool operator==(const DocumentSnapshot&) const = default;
};

// What a session needs of the window that shows the graph.
class DocumentWindow {
public:
    // The graph as shown: accepted equations, view, step, mode, style.
    virtual GraphDocument ShownDocument() const = 0;
    // Shows `document` as opening it does: the equations cleared, the mode,
    // ranges, fields and display options set, the equations checked (a
    // refusal shown) and the graph drawn.
    virtual void ShowDocument(const GraphDocument& document) = 0;
    // Empties the equation fields, the equations and the parameters and
    // draws (File > New).
    virtual void ClearEquations() = 0;
    // Makes the graph show what the fields say, running Plot when they
    // differ from it; false when Plot refused (its message shown).
    virtual bool PlotFields() = 0;
    // The texts of the eight equation fields, the four range fields and the
    // start and stop fields, in that order.
    virtual std::array<std::string, 14> FieldTexts() const = 0;

protected:
    ~DocumentWindow() = default;
};

class DocumentSession {
public:
    explicit DocumentSession(DocumentWindow& window) : window(window) {}
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;

    // The frame the session titles and owns its messages and dialogs with,
    // whose File menu lists the recent files, read from the program's key
    // `keyPath` under HKEY_CURRENT_USER (kept, not copied); the product name
    // ends the title.
    void Start(HWND frame, const char* keyPath, const char* productName);

    // File > New: asks about a modified document, then empties the equations
    // and forgets the document; ranges, mode and options stay.
    void NewCommand();
    // File > Open: asks about a modified document, then for a file, and opens it.
    void OpenCommand();
    // File > Save: runs Plot when the fields differ from the graph, then
    // writes the document's file (asking for one when there is none). False
    // when nothing was written: Plot refused, the user cancelled, or the save
    // failed (which was reported).
    bool SaveCommand();
    // File > Save As: as Save, always asking for the file.
    bool SaveAsCommand();
    // Opens recent file `index` (0 the newest) after asking about a modified
    // document; a file that is gone leaves the list.
    void OpenRecent(size_t index);
    // A file dropped on the window: the first one is opened as File > Open
    // would. Finishes the drop.
    void DropFiles(HDROP drop);
    // Opens the document named on the command line, if any (at start-up).
    void OpenStartupDocument();
    // True when whatever comes next may replace the document: there is none,
    // it is not modified, or the user answered the question "Save changes to
    // NAME?" with Yes (and the save worked) or No. False on Cancel.
    bool ConfirmDiscard();
    // Reads the file and, only when it is a graph, shows it and makes it the
    // document. False, with the message "Cannot open NAME: REASON" shown and
    // nothing changed, when it is refused.
    bool OpenDocument(const std::wstring& path);
    // Writes the graph as shown to `path`; on success it becomes the
    // document's file. False after showing "Cannot save NAME: REASON".
    bool SaveDocument(const std::wstring& path);

    // A document is open and differs from what was last opened or saved.
    bool IsModified() const;
    DocumentSnapshot Snapshot() const;
    // "NAME - Orvanta", with "*" first when modified; the program's own
    // title without a document.
    void UpdateTitle();
    // Something a document holds may have changed: a title update is posted.
    void Changed();

    // The open document's file (a full path); empty without one.
    const std::wstring& Path() const { return path; }
    // The file named on the command line, opened by OpenStartupDocument.
    std::wstring startupDocument;

private:
    int Message(const std::wstring& text, UINT style) const;
    // Makes `newPath` the document's file: title, recent list and its menu.
    void BecomeDocument(const std::wstring& newPath);
    void ShowRecentFiles();

    DocumentWindow& window;
    HWND frame = nullptr;
    const char* keyPath = "";
    const char* productName = "";
    std::wstring path;
    DocumentSnapshot savedState; // what the document held when last opened or saved
    RecentFiles recentFiles;
    bool titleUpdatePending = false;
};
