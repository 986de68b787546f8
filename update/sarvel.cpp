#include "update/sarvel.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "descriptor/descriptor.h"
#include "win/system_dlls.h"
#include "win/win_handles.h"

namespace {

// How much one read asks for.
constexpr DWORD kChunkSize = 16384;

// The WinINet functions the download calls. WinINet is not imported: it is
// loaded from the system folder when the first check runs, so that a
// wininet.dll beside the program is never run.
struct WinInet {
    decltype(&InternetAttemptConnect) attemptConnect = nullptr;
    decltype(&InternetOpenA) open = nullptr;
    decltype(&InternetOpenUrlA) openUrl = nullptr;
    decltype(&InternetReadFile) readFile = nullptr;
    decltype(&InternetSetOptionA) setOption = nullptr;
    decltype(&InternetSetStatusCallbackA) setStatusCallback = nullptr;
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
        !Find(module, "InternetSetStatusCallbackA", functions.setStatusCallback) ||
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
// they are set to what is left of the whole download, so that WinINet's
// threads give up about when the download does.
void LimitWaits(const WinInet& wininet, HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        wininet.setOption(handle, option, &ms, sizeof ms);
}

// What a download shares with WinINet's threads, which complete its
// operations: the event they set, the result of the operation that
// completed, and the buffer and count a pending read fills. WinINet knows
// it only by its number (the context of its handles).
struct Transfer {
    KernelHandle completed{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    // An operation was started and has not completed. Written under the
    // registry's lock, as everything below.
    bool pending = false;
    // The download gave up at its deadline while an operation was pending:
    // WinINet may still write into `chunk`, so the transfer stays in the
    // registry until that operation has completed or its handle is closed.
    bool abandoned = false;
    bool opening = false; // the pending operation is the request's opening
    HINTERNET request = nullptr;
    DWORD_PTR result = 0; // of the operation that completed
    DWORD error = 0;
    DWORD read = 0; // what a read received
    char chunk[kChunkSize];
};

// The transfers WinINet may still report to, by number. Never destroyed: a
// WinINet thread may report while the program exits.
struct Registry {
    std::mutex lock;
    std::map<DWORD_PTR, std::shared_ptr<Transfer>> transfers;
    DWORD_PTR lastNumber = 0;
};

Registry& Transfers() {
    static Registry* const registry = new Registry;
    return *registry;
}

// WinINet's report on an operation or a handle of a download, on one of its
// own threads (or within a call of the download's). A completion wakes the
// download; for a transfer that was given up, it is the end: a request that
// opened too late is closed, and the transfer is forgotten.
void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR number, DWORD status, LPVOID information,
                       DWORD) {
    if (status != INTERNET_STATUS_REQUEST_COMPLETE && status != INTERNET_STATUS_HANDLE_CLOSING)
        return;
    HINTERNET lateRequest = nullptr;
    {
        Registry& registry = Transfers();
        std::lock_guard<std::mutex> hold(registry.lock);
        const auto found = registry.transfers.find(number);
        if (found == registry.transfers.end())
            return;
        Transfer& transfer = *found->second;
        if (status == INTERNET_STATUS_HANDLE_CLOSING) {
            // The last report of the request: nothing is pending on it any more.
            if (transfer.abandoned && transfer.request && handle == transfer.request)
                registry.transfers.erase(found);
            return;
        }
        if (!transfer.pending)
            return; // an operation that had completed at once
        const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(information);
        transfer.pending = false;
        transfer.result = result ? result->dwResult : 0;
        transfer.error = result ? result->dwError : ERROR_INTERNET_INTERNAL_ERROR;
        if (!transfer.abandoned) {
            SetEvent(transfer.completed.get());
            return;
        }
        if (transfer.opening)
            lateRequest = reinterpret_cast<HINTERNET>(transfer.result);
        registry.transfers.erase(found);
    }
    if (lateRequest)
        LoadWinInet()->closeHandle(lateRequest);
}

// One download with asynchronous WinINet: every call returns at once, and
// this thread waits for its completion only as long as the deadline allows.
class AsyncDownload {
public:
    AsyncDownload(const WinInet& wininet, uint32_t deadlineMs)
        : wininet(wininet), deadline(deadlineMs), internet(wininet.closeHandle),
          request(wininet.closeHandle) {}

    // Ends what is left: WinINet forgets the transfer, or, with an operation
    // pending, keeps it until that operation ends; then the handles close.
    ~AsyncDownload() {
        if (number) {
            Registry& registry = Transfers();
            std::lock_guard<std::mutex> hold(registry.lock);
            if (transfer->pending) {
                transfer->abandoned = true;
                transfer->request = static_cast<HINTERNET>(request.get());
            } else {
                registry.transfers.erase(number);
            }
        }
        request.reset();
        internet.reset();
    }
    AsyncDownload(const AsyncDownload&) = delete;
    AsyncDownload& operator=(const AsyncDownload&) = delete;

    // Reads the whole body of `url` into `body`; false on any failure, on a
    // body longer than kMaxDescriptorSize, and once the deadline has passed.
    bool Run(const char* agent, const char* url, std::string& body) {
        if (!Register())
            return false;
        internet.reset(wininet.open(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                    INTERNET_FLAG_ASYNC));
        if (!internet ||
            wininet.setStatusCallback(internet.get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK)
            return false;
        LimitWaits(wininet, internet.get(), deadline.Left());
        if (!Open(url))
            return false;
        for (;;) {
            const DWORD left = deadline.Left();
            if (left == 0)
                return false; // a server that drips its answer runs out of time
            LimitWaits(wininet, request.get(), left);
            const DWORD ask = static_cast<DWORD>(
                std::min<size_t>(kChunkSize, kMaxDescriptorSize + 1 - body.size()));
            DWORD read = 0;
            if (!Read(ask, read))
                return false;
            if (read == 0)
                return true;
            if (body.size() + read > kMaxDescriptorSize)
                return false; // far too large for a descriptor
            body.append(transfer->chunk, read);
        }
    }

private:
    bool Register() {
        transfer = std::make_shared<Transfer>();
        if (!transfer->completed)
            return false;
        Registry& registry = Transfers();
        std::lock_guard<std::mutex> hold(registry.lock);
        number = ++registry.lastNumber;
        registry.transfers.emplace(number, transfer);
        return true;
    }

    // Starts an operation, whose completion is then waited for.
    void Begin(bool opening) {
        std::lock_guard<std::mutex> hold(Transfers().lock);
        transfer->pending = true;
        transfer->opening = opening;
        transfer->read = 0;
    }
    // The operation ended in its call: a report that comes anyway is ignored.
    void EndedAtOnce() {
        std::lock_guard<std::mutex> hold(Transfers().lock);
        transfer->pending = false;
        ResetEvent(transfer->completed.get());
    }
    // Waits for the pending operation until the deadline; false when the
    // deadline comes first (it stays pending).
    bool Await() {
        return WaitForSingleObject(transfer->completed.get(), deadline.Left()) == WAIT_OBJECT_0;
    }

    bool Open(const char* url) {
        Begin(true);
        HINTERNET opened = wininet.openUrl(internet.get(), url, nullptr, 0,
                                           INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI, number);
        if (opened || GetLastError() != ERROR_IO_PENDING) {
            EndedAtOnce();
        } else {
            if (!Await())
                return false;
            opened = reinterpret_cast<HINTERNET>(transfer->result);
        }
        request.reset(opened);
        return opened != nullptr;
    }

    bool Read(DWORD ask, DWORD& read) {
        Begin(false);
        if (wininet.readFile(request.get(), transfer->chunk, ask, &transfer->read)) {
            EndedAtOnce();
        } else if (GetLastError() != ERROR_IO_PENDING) {
            EndedAtOnce();
            return false;
        } else if (!Await() || !transfer->result) {
            return false;
        }
        read = transfer->read;
        return read <= ask;
    }

    const WinInet& wininet;
    Deadline deadline;
    std::shared_ptr<Transfer> transfer;
    DWORD_PTR number = 0; // in the registry; 0 before
    // Declared in the order they are opened; closed by the destructor.
    InternetHandle internet;
    InternetHandle request;
};

} // namespace

bool ReadUrlToBuffer(const char* agent, const char* url, std::unique_ptr<char[]>* buffer,
                     uint32_t* length, uint32_t deadlineMs) {
    if (!buffer || !length)
        return false;
    buffer->reset();
    *length = 0;
    const WinInet* wininet = LoadWinInet();
    if (!agent || !url || !wininet || wininet->attemptConnect(0) != ERROR_SUCCESS)
        return false;
    std::string body;
    try {
        AsyncDownload download(*wininet, deadlineMs);
        if (!download.Run(agent, url, body))
            return false;
    } catch (const std::exception&) {
        return false; // no memory: no check
    }
    std::unique_ptr<char[]> data(new (std::nothrow) char[body.size() + 1]);
    if (!data)
        return false;
    std::memcpy(data.get(), body.data(), body.size());
    data[body.size()] = '\0';
    *buffer = std::move(data);
    *length = static_cast<uint32_t>(body.size());
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
