// File > Export: the save dialog, and the graph written as PNG, BMP or SVG.
#include <windows.h>

#include <commdlg.h>

#include "app/graphapp.h"
#include "plot/export_image.h"
#include "plot/svg_writer.h"
#include "win/text_encoding.h"

namespace {

// Characters of the file name, its terminating NUL included.
constexpr size_t kExportNameSize = 265;

const char kExportFilter[] = "PNG Files\0*.PNG\0Bitmap Files\0*.BMP\0SVG Files (*.svg)\0*.SVG\0";

} // namespace

// Places the save dialog at (dx / 2, dy / 3) from the screen origin, where
// dx and dy are what the frame window is wider and higher than the dialog.
UINT_PTR CALLBACK CentreDialogHook(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return 0;
    HWND dialog = GetParent(window);
    HWND reference = GetParent(dialog);
    LONG w = GetSystemMetrics(SM_CXFULLSCREEN), h = GetSystemMetrics(SM_CYFULLSCREEN);
    RECT r;
    if (reference && GetWindowRect(reference, &r)) {
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    RECT d;
    if (!GetWindowRect(dialog, &d))
        return 0;
    const LONG dw = d.right - d.left, dh = d.bottom - d.top;
    const LONG dx = dw < w ? w - dw : 0, dy = dh < h ? h - dh : 0;
    SetWindowPos(dialog, nullptr, dx / 2, dy / 3, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    return 0;
}

// Asks for the file and the format; false when the user cancels. A name
// without an extension gets the format's when it fits the buffer.
bool ChooseExportFile(HWND owner, HINSTANCE instance, char* name, size_t size, int& format) {
    name[0] = '\0';
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = instance;
    dialog.lpstrFilter = kExportFilter;
    dialog.nFilterIndex = static_cast<DWORD>(ExportFormat::Png);
    dialog.lpstrFile = name;
    dialog.nMaxFile = static_cast<DWORD>(size);
    // No overwrite prompt: an existing file is replaced without asking.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    dialog.lpfnHook = CentreDialogHook;
    if (!GetSaveFileNameA(&dialog))
        return false;
    format = dialog.nFilterIndex == 2 || dialog.nFilterIndex == 3
                 ? static_cast<int>(dialog.nFilterIndex)
                 : static_cast<int>(ExportFormat::Png);
    AddExportExtension(name, size, static_cast<ExportFormat>(format));
    return true;
}

// What the Graph control shows is saved, once the relations of the view are
// decided (see AwaitDecisions). A name with any extension keeps it, whatever
// the format chosen.
void GraphApp::ExportCommand() {
    char name[kExportNameSize];
    int format = static_cast<int>(ExportFormat::Png);
    if (!ChooseExportFile(frameWindow, instance, name, sizeof name, format))
        return;
    AwaitDecisions();
    // The dialog answers in the ANSI code page; the image files take UTF-8.
    const std::string path = AnsiToUtf8(name);
    const auto chosen = static_cast<ExportFormat>(format);
    std::string reason = "no export image (no memory when the canvas was laid out)";
    const bool saved =
        chosen == ExportFormat::Svg   ? SaveSvg(model.Svg(), path.c_str(), &reason)
        : chosen == ExportFormat::Bmp ? canvas.SaveBMP(path.c_str(), &reason)
                                      : exportImage && SavePNG(*exportImage, path.c_str(), &reason);
    if (!saved) {
        // The message is the same whatever went wrong; the log says what.
        LogSaveFailure(path, reason);
        Message("Error saving image", "Error", MB_ICONERROR);
    }
}
