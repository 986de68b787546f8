// The document session: New, Open, Save, Save As, the recent files, dropped
// files and the file named on the command line; the question before a
// modified document is dropped; the title that names the document.
#include "app/document_session.h"

#include <commdlg.h>

#include <vector>

#include "document/document_file.h"
#include "document/path_text.h"
#include "res/resource.h"
#include "win/text_encoding.h"
#include "win/win_handles.h"

namespace {

const wchar_t kDocumentFilter[] = L"Orvanta Graphs (*.orv)\0*.orv\0All Files (*.*)\0*.*\0";
const wchar_t kDocumentExtension[] = L"orv";
// Characters of a file name the dialogs take, its terminating NUL included.
constexpr size_t kPathSize = 32768;

// Asks for a document file with the common dialog: to save (overwrite
// prompt on) or to open (the file must exist). `path` holds the proposed
// name on the way in and the chosen one on the way out; false when the user
// cancels. A name typed without an extension gets ".orv".
bool ChooseDocumentFile(HWND owner, bool save, std::wstring& path) {
    std::vector<wchar_t> name(kPathSize, L'\0');
    if (path.size() < kPathSize)
        path.copy(name.data(), path.size());
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kDocumentFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = kDocumentExtension;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)))
        return false;
    path = name.data();
    return !path.empty();
}

// The full form of a path the command line or a drop gave.
std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

bool FileIsMissing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

void DocumentSession::Start(HWND newFrame, const char* newKeyPath, const char* newProductName) {
    frame = newFrame;
    keyPath = newKeyPath;
    productName = newProductName;
    recentFiles.Load(keyPath);
    ShowRecentFiles();
}

int DocumentSession::Message(const std::wstring& text, UINT style) const {
    return MessageBoxW(frame, text.c_str(), AnsiToWide(productName).c_str(), style);
}

DocumentSnapshot DocumentSession::Snapshot() const {
    DocumentSnapshot snapshot;
    snapshot.fields = window.FieldTexts();
    const GraphDocument shown = window.ShownDocument();
    snapshot.view = {shown.xMin, shown.xMax, shown.yMin, shown.yMax};
    static_cast<GraphStyle&>(snapshot.options) = shown.style;
    snapshot.options.mode = shown.mode;
    snapshot.options.smoothCurves = false; // neither is part of a document
    snapshot.options.exactCurves = false;
    return snapshot;
}

bool DocumentSession::IsModified() const {
    return !path.empty() && !(Snapshot() == savedState);
}

void DocumentSession::UpdateTitle() {
    titleUpdatePending = false;
    if (!frame)
        return;
    if (path.empty()) {
        SetWindowTextA(frame, productName);
        return;
    }
    const std::wstring title = (IsModified() ? L"*" : L"") + FileNameOf(path) + L" - " +
                               AnsiToWide(productName);
    SetWindowTextW(frame, title.c_str());
}

void DocumentSession::Changed() {
    if (path.empty() || titleUpdatePending || !frame)
        return;
    titleUpdatePending = PostMessageA(frame, kUpdateTitleMessage, 0, 0) != FALSE;
}

void DocumentSession::ShowRecentFiles() {
    if (HMENU menu = frame ? GetMenu(frame) : nullptr)
        recentFiles.ShowInMenu(GetSubMenu(menu, 0), IDM_EXPORT);
}

void DocumentSession::BecomeDocument(const std::wstring& newPath) {
    path = newPath;
    savedState = Snapshot();
    recentFiles.Add(newPath);
    recentFiles.Store(keyPath);
    ShowRecentFiles();
    UpdateTitle();
}

bool DocumentSession::ConfirmDiscard() {
    if (!IsModified())
        return true;
    const std::wstring question = L"Save changes to " + FileNameOf(path) + L"?";
    switch (Message(question, MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return SaveCommand();
    case IDNO: return true;
    default: return false;
    }
}

void DocumentSession::NewCommand() {
    if (!ConfirmDiscard())
        return;
    path.clear();
    window.ClearEquations();
    UpdateTitle();
}

bool DocumentSession::OpenDocument(const std::wstring& file) {
    GraphDocument document;
    std::string reason;
    if (!LoadGraphDocument(WideToUtf8(file), document, reason)) {
        Message(L"Cannot open " + FileNameOf(file) + L": " + Utf8ToWide(reason),
                MB_OK | MB_ICONWARNING);
        return false;
    }
    window.ShowDocument(document);
    BecomeDocument(file);
    return true;
}

void DocumentSession::OpenCommand() {
    if (!ConfirmDiscard())
        return;
    std::wstring file;
    if (ChooseDocumentFile(frame, false, file))
        OpenDocument(file);
}

void DocumentSession::OpenRecent(size_t index) {
    if (index >= recentFiles.Paths().size() || !ConfirmDiscard())
        return;
    const std::wstring file = recentFiles.Paths()[index];
    if (OpenDocument(file) || !FileIsMissing(file))
        return;
    recentFiles.Remove(file);
    recentFiles.Store(keyPath);
    ShowRecentFiles();
}

void DocumentSession::DropFiles(HDROP drop) {
    std::wstring file;
    {
        const DroppedFiles files(drop);
        file = files.First();
    }
    if (!file.empty() && ConfirmDiscard())
        OpenDocument(FullPath(file));
}

void DocumentSession::OpenStartupDocument() {
    if (!startupDocument.empty())
        OpenDocument(FullPath(startupDocument));
}

bool DocumentSession::SaveDocument(const std::wstring& file) {
    std::string reason;
    if (!SaveGraphDocument(WideToUtf8(file), window.ShownDocument(), reason)) {
        Message(L"Cannot save " + FileNameOf(file) + L": " + Utf8ToWide(reason),
                MB_OK | MB_ICONWARNING);
        return false;
    }
    BecomeDocument(file);
    return true;
}

// Plot first when the fields say something the graph does not show, so that
// what is written is what the user sees.
bool DocumentSession::SaveCommand() {
    if (!window.PlotFields())
        return false;
    if (path.empty())
        return SaveAsCommand();
    return SaveDocument(path);
}

bool DocumentSession::SaveAsCommand() {
    if (!window.PlotFields())
        return false;
    std::wstring file = path;
    if (!ChooseDocumentFile(frame, true, file))
        return false;
    return SaveDocument(file);
}
