// Small owners of Win32 handles: one release function each, copy deleted,
// move allowed.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>

// A GDI object (brush, bitmap, palette, pen) released with DeleteObject.
template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    void reset(Handle newHandle = nullptr) {
        if (handle)
            DeleteObject(handle);
        handle = newHandle;
    }
    Handle get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    Handle handle = nullptr;
};

// A device context of a window, from GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window(window), dc(GetDC(window)) {}
    ~WindowDC() {
        if (dc)
            ReleaseDC(window, dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HWND window;
    HDC dc;
};

// A memory device context, released with DeleteDC.
class MemoryDC {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC dc) : dc(dc) {}
    ~MemoryDC() {
        if (dc)
            DeleteDC(dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HDC dc = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous && previous != HGDI_ERROR)
            SelectObject(dc, previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

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

// The clipboard, opened for a window and closed again.
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

// An open registry key, closed with RegCloseKey.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { reset(); }
    RegistryKey(RegistryKey&& other) noexcept : key(std::exchange(other.key, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            reset();
            key = std::exchange(other.key, nullptr);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    void reset() {
        if (key)
            RegCloseKey(key);
        key = nullptr;
    }
    // Where a Reg...Ex call stores the key it opens (the old one closed).
    HKEY* receive() {
        reset();
        return &key;
    }
    HKEY get() const { return key; }
    explicit operator bool() const { return key != nullptr; }

private:
    HKEY key = nullptr;
};

// BeginPaint .. EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window(window) { BeginPaint(window, &paint); }
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return paint.hdc; }

private:
    HWND window;
    PAINTSTRUCT paint;
};

// A kernel object (an event, a thread, a file) closed with CloseHandle.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle(handle) {}
    ~KernelHandle() { reset(); }
    KernelHandle(KernelHandle&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    void reset(HANDLE newHandle = nullptr) {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = newHandle;
    }
    HANDLE get() const { return handle; }
    explicit operator bool() const { return handle && handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle = nullptr;
};

// An Internet handle (an HINTERNET, which is a pointer) closed with the
// InternetCloseHandle of the WinINet the program loaded: WinINet is loaded
// when it is needed, not imported, so the function comes with the handle.
class InternetHandle {
public:
    using CloseFunction = BOOL(WINAPI*)(void*);

    explicit InternetHandle(CloseFunction close, void* handle = nullptr)
        : close(close), handle(handle) {}
    ~InternetHandle() { reset(); }
    InternetHandle(InternetHandle&& other) noexcept
        : close(other.close), handle(std::exchange(other.handle, nullptr)) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            reset();
            close = other.close;
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    void reset(void* newHandle = nullptr) {
        if (handle)
            close(handle);
        handle = newHandle;
    }
    void* get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    CloseFunction close;
    void* handle;
};

// The files of a drop (WM_DROPFILES), given back to the system with
// DragFinish however the handler ends.
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

// A window class registered for as long as its owner lives, with the
// settings every class of this program shares: redrawn whole on a size
// change, the arrow cursor. Unregistering it lets a later owner in the same
// process (the tests make several) register the class again.
class WindowClass {
public:
    WindowClass() = default;
    ~WindowClass() { reset(); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    // False when the class cannot be registered (also when it exists).
    bool Register(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon = nullptr,
                  HBRUSH background = nullptr, const char* menu = nullptr, int windowExtra = 0) {
        reset();
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = procedure;
        wc.cbWndExtra = windowExtra;
        wc.hInstance = instance;
        wc.hIcon = icon;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.hbrBackground = background;
        wc.lpszMenuName = menu;
        wc.lpszClassName = name;
        if (!RegisterClassA(&wc))
            return false;
        this->instance = instance;
        this->name = name;
        return true;
    }
    // The same for a class of Unicode windows, whose text (a title naming a
    // file, say) may hold any character; the name is ASCII, the menu a
    // resource number.
    bool RegisterUnicode(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon,
                         HBRUSH background, const char* menu) {
        reset();
        const std::wstring wideName(name, name + std::char_traits<char>::length(name));
        WNDCLASSW wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        wc.hIcon = icon;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        wc.hbrBackground = background;
        wc.lpszMenuName = reinterpret_cast<LPCWSTR>(menu);
        wc.lpszClassName = wideName.c_str();
        if (!RegisterClassW(&wc))
            return false;
        this->instance = instance;
        this->name = name;
        return true;
    }
    void reset() {
        if (name)
            UnregisterClassA(name, instance);
        name = nullptr;
    }
    explicit operator bool() const { return name != nullptr; }

private:
    HINSTANCE instance = nullptr;
    const char* name = nullptr; // a constant of the program
};

// The module a modal dialog's resources come from: the one that made its
// owner window (the program), or the program's when there is no owner.
inline HINSTANCE DialogModule(HWND owner) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    return instance ? instance : GetModuleHandleA(nullptr);
}
