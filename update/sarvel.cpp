#include "update/sarvel.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <exception>
#include <future>
#include <new>
#include <string>
#include <thread>

#include "descriptor/descriptor.h"
#include "win/system_dlls.h"

namespace {

// The first buffer, and the largest step it grows by.
constexpr uint32_t kFirstCapacity = 8192;
constexpr uint32_t kLargestGrowth = 102400;

// The WinINet functions the download calls. WinINet is not imported: it is
// loaded from the system folder when the first check runs, so that a
// wininet.dll beside the program is never run.
struct WinInet {
    decltype(&InternetAttemptConnect) attemptConnect = nullptr;
    decltype(&InternetOpenA) open = nullptr;
    decltype(&InternetOpenUrlA) openUrl = nullptr;
    decltype(&InternetReadFile) readFile = nullptr;
    decltype(&InternetSetOptionA) setOption = nullptr;
    decltype(&InternetCloseHandle) closeHandle = nullptr;
};

template <typename Function> bool Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

// The functions from WinINet in the system folder; all null when it cannot
// be loaded or lacks one of them.
WinInet FindWinInet() {
    WinInet functions;
    const HMODULE module = LoadSystemDll("wininet.dll");
    if (!module || !Find(module, "InternetAttemptConnect", functions.attemptConnect) ||
        !Find(module, "InternetOpenA", functions.open) ||
        !Find(module, "InternetOpenUrlA", functions.openUrl) ||
        !Find(module, "InternetReadFile", functions.readFile) ||
        !Find(module, "InternetSetOptionA", functions.setOption) ||
        !Find(module, "InternetCloseHandle", functions.closeHandle))
        return WinInet();
    return functions;
}

// The functions, found once (by whichever thread asks first); null when
// there are none.
const WinInet* LoadWinInet() {
    static const WinInet functions = FindWinInet();
    return functions.closeHandle ? &functions : nullptr;
}

// An Internet handle, closed with InternetCloseHandle.
class InternetHandle {
public:
    InternetHandle(const WinInet& wininet, HINTERNET handle) : wininet(wininet), handle(handle) {}
    ~InternetHandle() {
        if (handle)
            wininet.closeHandle(handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    const WinInet& wininet;
    HINTERNET handle;
};

// The time left until the deadline, at least 1 ms; 0 once it has passed.
class Deadline {
public:
    explicit Deadline(uint32_t ms) : end(GetTickCount64() + ms) {}
    DWORD Left() const {
        const ULONGLONG now = GetTickCount64();
        return now >= end ? 0 : static_cast<DWORD>(std::max<ULONGLONG>(1, end - now));
    }

private:
    ULONGLONG end;
};

// WinINet's own time-outs apply to each step (connecting, each packet);
// they are set to what is left of the whole download.
void LimitWaits(const WinInet& wininet, HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        wininet.setOption(handle, option, &ms, sizeof ms);
}

// One download, shared by the caller and the thread that makes it: a
// caller that has run out of time leaves it to the thread, which frees it.
struct DownloadJob {
    const WinInet& wininet;
    std::string agent, url;
    Deadline deadline;
    std::unique_ptr<char[]> data;
    uint32_t length = 0;
    std::atomic<bool> abandoned{false};

    DownloadJob(const WinInet& wininet, const char* agent, const char* url, uint32_t ms)
        : wininet(wininet), agent(agent), url(url), deadline(ms) {}
};

// The download itself, with blocking WinINet calls.
bool Download(DownloadJob& job) {
    uint32_t capacity = kFirstCapacity;
    std::unique_ptr<char[]> data(new (std::nothrow) char[capacity + 1]);
    if (!data)
        return false;
    const WinInet& wininet = job.wininet;
    InternetHandle internet(wininet, wininet.open(job.agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                                  nullptr, nullptr, 0));
    if (!internet)
        return false;
    LimitWaits(wininet, internet.get(), job.deadline.Left());
    InternetHandle request(wininet,
                           wininet.openUrl(internet.get(), job.url.c_str(), nullptr, 0,
                                           INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI, 0));
    if (!request)
        return false;

    uint32_t size = 0;
    for (;;) {
        const DWORD left = job.deadline.Left();
        if (left == 0 || job.abandoned)
            return false; // a server that drips its answer runs out of time
        LimitWaits(wininet, request.get(), left);
        DWORD read = 0;
        if (!wininet.readFile(request.get(), data.get() + size, capacity - size, &read))
            return false;
        if (read == 0)
            break;
        size += read;
        if (size > kMaxDescriptorSize)
            return false; // far too large for a descriptor
        if (size < capacity)
            continue;
        // Full: grow by the capacity, by at most 100 KiB, and never beyond
        // one byte more than a descriptor may have, which shows a longer body.
        const uint32_t growth = std::min(
            {capacity, kLargestGrowth, static_cast<uint32_t>(kMaxDescriptorSize) + 1 - capacity});
        std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity + growth + 1]);
        if (!larger)
            return false;
        std::memcpy(larger.get(), data.get(), capacity);
        data = std::move(larger);
        capacity += growth;
    }
    data[size] = '\0';
    job.data = std::move(data);
    job.length = size;
    return true;
}

} // namespace

// WinINet's own time-outs bound each step on Windows, but not every system
// honours them (Wine keeps waiting on a silent server, and a server that
// drips its answer never trips them), so the download runs in a thread of
// its own that this one waits for until the deadline.
bool ReadUrlToBuffer(const char* agent, const char* url, std::unique_ptr<char[]>* buffer,
                     uint32_t* length, uint32_t deadlineMs) {
    if (!buffer || !length)
        return false;
    buffer->reset();
    *length = 0;
    const WinInet* wininet = LoadWinInet();
    if (!agent || !url || !wininet || wininet->attemptConnect(0) != ERROR_SUCCESS)
        return false;
    std::shared_ptr<DownloadJob> job;
    std::future<bool> done;
    try {
        job = std::make_shared<DownloadJob>(*wininet, agent, url, deadlineMs);
        std::packaged_task<bool()> task([job] { return Download(*job); });
        done = task.get_future();
        std::thread(std::move(task)).detach();
    } catch (const std::exception&) {
        return false; // no memory or no thread: no check
    }
    if (done.wait_for(std::chrono::milliseconds(deadlineMs)) != std::future_status::ready) {
        job->abandoned = true;
        return false;
    }
    if (!done.get())
        return false;
    *buffer = std::move(job->data);
    *length = job->length;
    return true;
}

Sarvel::Sarvel(const char* url, const char* installed)
    : descriptorUrl(url ? url : ""), installedVersion(installed ? installed : "") {}

Sarvel::~Sarvel() = default;

bool Sarvel::Download() {
    data.reset();
    dataLength = 0;
    return ReadUrlToBuffer(kSarvelAgent, descriptorUrl.c_str(), &data, &dataLength, deadlineMs);
}

bool Sarvel::Parse() {
    UpdateDescriptor descriptor;
    if (!data || !ParseDescriptor(data.get(), dataLength, descriptor))
        return false;
    latestVersion = std::move(descriptor.latestVersion);
    infoUrl = std::move(descriptor.infoUrl);
    downloadUrl = std::move(descriptor.downloadUrl);
    return true;
}

bool Sarvel::Fetch() {
    return Download() && Parse();
}

bool Sarvel::IsNewerAvailable() {
    return Fetch() && IsNewerVersion(latestVersion, installedVersion);
}

std::shared_ptr<UpdateCheck> UpdateCheck::Start(const char* descriptorUrl,
                                                const char* installedVersion, HWND window,
                                                UINT message, uint32_t deadlineMs) {
    try {
        auto check = std::make_shared<UpdateCheck>(descriptorUrl, installedVersion);
        check->checker.deadlineMs = deadlineMs;
        std::thread([check, window, message] {
            check->newer = check->checker.IsNewerAvailable();
            check->ended.store(true, std::memory_order_release);
            // A window that is gone by now takes no message: nothing happens.
            PostMessageW(window, message, 0, 0);
        }).detach();
        return check;
    } catch (const std::exception&) {
        return nullptr; // no memory or no thread: no check
    }
}
