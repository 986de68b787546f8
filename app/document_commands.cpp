// Graph documents in the window: New, Open, Save, Save As, the recent files,
// dropped files and the file named on the command line; the question before
// a modified document is dropped; the title that names the document.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <optional>
#include <vector>

#include "app/graphapp.h"
#include "document/document_file.h"
#include "document/path_text.h"
#include "plot/plot_checks.h"
#include "res/resource.h"
#include "win/text_encoding.h"

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

// The files of a drop, given back to the system however the handler ends.
class DroppedFiles {
public:
    explicit DroppedFiles(HDROP drop) : drop(drop) {}
    ~DroppedFiles() { DragFinish(drop); }
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;

    // The first file's path; empty when there is none.
    std::wstring First() const {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length == 0)
            return std::wstring();
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
        return path;
    }

private:
    HDROP drop;
};

} // namespace

int GraphApp::MessageW(const std::wstring& text, UINT style) const {
    return MessageBoxW(frameWindow, text.c_str(), AnsiToWide(ProductName()).c_str(), style);
}

GraphDocument GraphApp::CurrentDocument() const {
    GraphDocument document;
    document.mode = plotter.mode;
    document.xMin = plotter.xMin;
    document.xMax = plotter.xMax;
    document.yMin = plotter.yMin;
    document.yMax = plotter.yMax;
    document.tStart = plotter.tStart;
    document.tStop = plotter.tStop;
    for (int i = 0; i < 8; ++i)
        document.equations[i] = AnsiToUtf8(equations[i]);
    document.style.graphColors = graphColors;
    document.style.backColor = backColor;
    document.style.axisColor = axisColor;
    document.style.showAxes = showAxes;
    return document;
}

// The ranges are taken as the document holds them, not read back from the
// fields, whose six decimals would round a small view away: the reader has
// already held them to the Plot command's rules.
void GraphApp::ShowDocument(const GraphDocument& document) {
    for (std::string& equation : equations)
        equation.clear();
    GraphOptions options;
    options.mode = document.mode;
    options.graphColors = document.style.graphColors;
    options.backColor = document.style.backColor;
    options.axisColor = document.style.axisColor;
    options.showAxes = document.style.showAxes;
    options.smoothCurves = smoothCurves; // a display preference, not the document's
    ApplyOptions(options);
    SetViewRange(document.xMin, document.xMax, document.yMin, document.yMax, false);
    SetStepRange(document.tStart, document.tStop, false);
    bool exact = true;
    for (int i = 0; i < 8; ++i) {
        std::string ansi;
        exact = Utf8ToAnsiExactly(document.equations[i], ansi) && exact;
        SetEquationField(i, ansi);
    }
    // A text the fields cannot hold exactly ("ｓｉｎ（ｘ）") is refused as the
    // command line refuses it: the Plot command's checks run on the
    // document's own texts, and the message quotes them. (Such a text is
    // never plain ASCII, so the checks always find it.) A refused equation
    // stays in its field either way, and nothing is plotted.
    std::optional<PlotRefusal> refusal;
    if (!exact) {
        EquationSlots texts;
        for (int i = 0; i < 8; ++i)
            texts[i] = document.equations[i];
        refusal = AcceptEquations(plotter, texts);
    }
    if (refusal)
        MessageBoxW(frameWindow, Utf8ToWide(refusal->text).c_str(),
                    Utf8ToWide(refusal->caption).c_str(), MB_OK | MB_ICONWARNING);
    else
        ReadEquations(); // a refused equation shows Plot's message
    Render();
    RefreshGraph();
    RefreshRulers();
}

DocumentSnapshot GraphApp::Snapshot() const {
    DocumentSnapshot snapshot;
    snapshot.fields = FieldTexts();
    snapshot.view = {plotter.xMin, plotter.xMax, plotter.yMin, plotter.yMax};
    GetOptions(snapshot.options);
    snapshot.options.smoothCurves = false; // not part of a document
    return snapshot;
}

bool GraphApp::IsModified() const {
    return !documentPath.empty() && !(Snapshot() == savedState);
}

void GraphApp::UpdateTitle() {
    titleUpdatePending = false;
    if (!frameWindow)
        return;
    if (documentPath.empty()) {
        SetWindowTextA(frameWindow, ProductName());
        return;
    }
    const std::wstring title = (IsModified() ? L"*" : L"") + FileNameOf(documentPath) + L" - " +
                               AnsiToWide(ProductName());
    SetWindowTextW(frameWindow, title.c_str());
}

void GraphApp::DocumentChanged() {
    if (documentPath.empty() || titleUpdatePending || !frameWindow)
        return;
    titleUpdatePending = PostMessageA(frameWindow, kUpdateTitleMessage, 0, 0) != FALSE;
}

void GraphApp::ShowRecentFiles() {
    if (HMENU menu = frameWindow ? GetMenu(frameWindow) : nullptr)
        recentFiles.ShowInMenu(GetSubMenu(menu, 0), IDM_EXPORT);
}

void GraphApp::BecomeDocument(const std::wstring& path) {
    documentPath = path;
    savedState = Snapshot();
    recentFiles.Add(path);
    recentFiles.Store(KeyPath());
    ShowRecentFiles();
    UpdateTitle();
}

bool GraphApp::ConfirmDiscard() {
    if (!IsModified())
        return true;
    const std::wstring question = L"Save changes to " + FileNameOf(documentPath) + L"?";
    switch (MessageW(question, MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return SaveCommand();
    case IDNO: return true;
    default: return false;
    }
}

void GraphApp::CloseCommand() {
    if (ConfirmDiscard())
        PostQuitMessage(0);
}

void GraphApp::NewCommand() {
    if (!ConfirmDiscard())
        return;
    for (int i = 0; i < 8; ++i) {
        SetEquationField(i, std::string());
        equations[i].clear();
    }
    documentPath.clear();
    UpdateTitle();
    Render();
    RefreshGraph();
}

bool GraphApp::OpenDocument(const std::wstring& path) {
    GraphDocument document;
    std::string reason;
    if (!LoadGraphDocument(WideToUtf8(path), document, reason)) {
        MessageW(L"Cannot open " + FileNameOf(path) + L": " + Utf8ToWide(reason), MB_OK | MB_ICONWARNING);
        return false;
    }
    ShowDocument(document);
    BecomeDocument(path);
    return true;
}

void GraphApp::OpenCommand() {
    if (!ConfirmDiscard())
        return;
    std::wstring path;
    if (ChooseDocumentFile(frameWindow, false, path))
        OpenDocument(path);
}

void GraphApp::OpenRecent(size_t index) {
    if (index >= recentFiles.Paths().size() || !ConfirmDiscard())
        return;
    const std::wstring path = recentFiles.Paths()[index];
    if (OpenDocument(path) || !FileIsMissing(path))
        return;
    recentFiles.Remove(path);
    recentFiles.Store(KeyPath());
    ShowRecentFiles();
}

void GraphApp::DropFiles(HDROP drop) {
    std::wstring path;
    {
        const DroppedFiles files(drop);
        path = files.First();
    }
    if (!path.empty() && ConfirmDiscard())
        OpenDocument(FullPath(path));
}

void GraphApp::OpenStartupDocument() {
    if (!startupDocument.empty())
        OpenDocument(FullPath(startupDocument));
}

bool GraphApp::SaveDocument(const std::wstring& path) {
    std::string reason;
    if (!SaveGraphDocument(WideToUtf8(path), CurrentDocument(), reason)) {
        MessageW(L"Cannot save " + FileNameOf(path) + L": " + Utf8ToWide(reason), MB_OK | MB_ICONWARNING);
        return false;
    }
    BecomeDocument(path);
    return true;
}

// Plot first when the fields say something the graph does not show, so that
// what is written is what the user sees.
bool GraphApp::SaveCommand() {
    if (!FieldsShowGraph() && !PlotCommand())
        return false;
    if (documentPath.empty())
        return SaveAsCommand();
    return SaveDocument(documentPath);
}

bool GraphApp::SaveAsCommand() {
    if (!FieldsShowGraph() && !PlotCommand())
        return false;
    std::wstring path = documentPath;
    if (!ChooseDocumentFile(frameWindow, true, path))
        return false;
    return SaveDocument(path);
}
