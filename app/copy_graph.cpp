// Graph > Copy Graph: the canvas as a device-independent bitmap and the graph
// as SVG on the clipboard; and the SVG text the export and the clipboard share.
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "app/graphapp.h"
#include "plot/svg_writer.h"
#include "win/win_handles.h"

namespace {

// The canvas as a packed CF_DIB: a BITMAPINFOHEADER and 32-bit rows bottom
// up (the canvas words 0x00RRGGBB are the DIB's blue, green, red, unused
// bytes). False when memory runs out or the canvas has no pixels.
bool FillDib(const Canvas& canvas, GlobalBlock& block) {
    if (!block.get() || !canvas.bits())
        return false;
    GlobalLockScope lock(block.get());
    if (!lock.data())
        return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = canvas.Width();
    header.biHeight = canvas.Height(); // positive: bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(lock.data(), &header, sizeof header);
    const size_t rowBytes = 4 * static_cast<size_t>(canvas.Width());
    for (int32_t y = 0; y < canvas.Height(); ++y)
        std::memcpy(lock.data() + sizeof header + rowBytes * (canvas.Height() - 1 - y),
                    canvas.bits() + static_cast<size_t>(y) * canvas.Width(), rowBytes);
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

std::string GraphApp::GraphSvgText() {
    GraphStyle style;
    style.graphColors = graphColors;
    style.backColor = backColor;
    style.axisColor = axisColor;
    style.showAxes = showAxes;
    return GraphSvg(plotter, equations, style);
}

// Both formats are made before the clipboard is opened, so that a failure
// leaves the clipboard as it was.
void GraphApp::CopyGraphCommand() {
    const std::string svg = GraphSvgText();
    const size_t dibSize = sizeof(BITMAPINFOHEADER) + 4 * static_cast<size_t>(canvas.Width()) *
                                                          static_cast<size_t>(canvas.Height());
    GlobalBlock dib(dibSize), text(svg.size() + 1);
    const UINT svgFormat = RegisterClipboardFormatA("image/svg+xml");
    bool copied = false;
    if (!svg.empty() && svgFormat && FillDib(canvas, dib) && FillText(svg, text)) {
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
