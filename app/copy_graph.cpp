// Graph > Copy Graph: the canvas as a device-independent bitmap and the graph
// as SVG on the clipboard.
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "app/graphapp.h"

namespace {

// A movable global memory block, freed unless handed over to the clipboard.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t size) : handle(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    ~GlobalBlock() {
        if (handle)
            GlobalFree(handle);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL get() const { return handle; }
    // The clipboard owns the block from here on.
    void release() { handle = nullptr; }

private:
    HGLOBAL handle;
};

// Locks a block for writing for as long as it lives; data() is null when
// the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL handle) : handle(handle), bytes(GlobalLock(handle)) {}
    ~GlobalLockScope() {
        if (bytes)
            GlobalUnlock(handle);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;

    unsigned char* data() const { return static_cast<unsigned char*>(bytes); }

private:
    HGLOBAL handle;
    void* bytes;
};

// The clipboard, opened for the frame and closed again.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open)
            CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;

    explicit operator bool() const { return open; }

private:
    bool open;
};

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

// Both formats are made before the clipboard is opened, so that a failure
// leaves the clipboard as it was.
void GraphApp::CopyGraphCommand() {
    const std::string svg = model.Svg();
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
