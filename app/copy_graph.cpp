// Graph > Copy Graph: the canvas as a device-independent bitmap and the graph
// as SVG on the clipboard.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/graphapp.h"
#include "src/bmp_encoder.h"
#include "win/win_handles.h"

namespace {

// The canvas as a packed CF_DIB: a BITMAPINFOHEADER and 32-bit rows bottom
// up (the canvas words 0x00RRGGBB are the DIB's blue, green, red, unused
// bytes). False when memory runs out or the canvas has no pixels.
bool FillDib(const Canvas& canvas, const BmpLayout& layout, GlobalBlock& block) {
    if (!block.get() || !canvas.bits())
        return false;
    GlobalLockScope lock(block.get());
    if (!lock.data())
        return false;
    EncodeBmp(layout, canvas.bits(), lock.data());
    return true;
}

bool FillText(const std::string& text, GlobalBlock& block) {
    if (!block.get())
        return false;
    GlobalLockScope lock(block.get());
    if (!lock.data())
        return false;
    std::memcpy(lock.data(), text.c_str(), text.size() + 1); // NUL-terminated
    return true;
}

} // namespace

// Both formats are made before the clipboard is opened, so that a failure
// leaves the clipboard as it was.
void GraphApp::CopyGraphCommand() {
    AwaitDecisions();
    const std::string svg = model.Svg();
    BmpLayout dibLayout;
    const bool planned = PlanBmp(canvas.Width(), canvas.Height(), 32, false, dibLayout);
    GlobalBlock dib(planned ? dibLayout.Size() : 0), text(svg.size() + 1);
    const UINT svgFormat = RegisterClipboardFormatA("image/svg+xml");
    bool copied = false;
    if (!svg.empty() && svgFormat && planned && FillDib(canvas, dibLayout, dib) &&
        FillText(svg, text)) {
        ClipboardScope clipboard(frameWindow);
        if (clipboard && EmptyClipboard()) {
            // Each block belongs to the clipboard once it is taken.
            if (SetClipboardData(CF_DIB, dib.get())) {
                dib.release();
                if (SetClipboardData(svgFormat, text.get())) {
                    text.release();
                    copied = true;
                }
            }
        }
    }
    if (!copied)
        Message("Cannot copy the graph", "Error", MB_ICONERROR);
}
