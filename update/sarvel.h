// The update check: downloads the vendor's descriptor over HTTP and tells
// whether it publishes a version newer than the one running. Every failure
// (no network, a failed download, a document that does not parse) ends as
// "no newer version", silently.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// The user agent of the download.
inline constexpr char kSarvelAgent[] = "Pellmora Sarvel 1.0";
// The whole download ends within this time, however slowly a server
// answers; a download that runs out of time fails.
inline constexpr uint32_t kUpdateDeadlineMs = 10000;

// Reads the whole body of `url` (whatever the HTTP status) with WinINet into
// a new buffer, NUL-terminated after its `length` bytes; the caller owns it.
// False, with no buffer, when there is no network, the request or a read
// fails, the body is longer than kMaxDescriptorSize, or `deadlineMs` runs
// out first. It runs in the calling thread and returns by the deadline
// however the server answers (WinINet works asynchronously, and the thread
// waits for it no longer than that).
bool ReadUrlToBuffer(const char* agent, const char* url, std::unique_ptr<char[]>* buffer,
                     uint32_t* length, uint32_t deadlineMs = kUpdateDeadlineMs);

class Sarvel {
public:
    Sarvel(const char* descriptorUrl, const char* installedVersion);
    virtual ~Sarvel();
    Sarvel(const Sarvel&) = delete;
    Sarvel& operator=(const Sarvel&) = delete;

    // Downloads the descriptor, dropping any earlier one; false on failure.
    bool Download();
    // Reads the three texts from the downloaded document; false when it does
    // not parse. Missing elements leave their texts empty.
    bool Parse();
    // Download, then Parse.
    bool Fetch();
    // Fetch, then whether the published version text is greater than the
    // installed one (byte by byte).
    bool IsNewerAvailable();

    const char* LatestVersion() const { return latestVersion.c_str(); }
    const char* InfoUrl() const { return infoUrl.c_str(); }
    const char* DownloadUrl() const { return downloadUrl.c_str(); }

    std::string descriptorUrl;
    std::string installedVersion;
    std::unique_ptr<char[]> data; // the document, NUL-terminated; null before a download
    uint32_t dataLength = 0;
    std::string latestVersion;
    std::string infoUrl;
    std::string downloadUrl;
    // How long a download may take; tests shorten it.
    uint32_t deadlineMs = kUpdateDeadlineMs;
};

// The check of start-up, in a thread of its own, so that the window it
// reports to keeps answering however long the server takes. The thread and
// the caller share the check; whichever lets go last frees it, so a program
// that ends while a check is pending just goes.
class UpdateCheck {
public:
    // Starts checking `descriptorUrl` for a version newer than
    // `installedVersion` (Sarvel::IsNewerAvailable, within `deadlineMs`);
    // when the check ends, whatever its result, `message` is posted to
    // `window`. Null when no thread can be started: there is no check then.
    static std::shared_ptr<UpdateCheck> Start(const char* descriptorUrl,
                                              const char* installedVersion, HWND window,
                                              UINT message,
                                              uint32_t deadlineMs = kUpdateDeadlineMs);

    UpdateCheck(const char* descriptorUrl, const char* installedVersion)
        : checker(descriptorUrl, installedVersion) {}

    // Whether the check has ended; the checker's texts are read only then.
    bool Ended() const { return ended.load(std::memory_order_acquire); }
    // Ended, with a newer version published.
    bool FoundNewer() const { return Ended() && newer; }
    const Sarvel& Checker() const { return checker; }

private:
    Sarvel checker;
    bool newer = false; // written before `ended` is set
    std::atomic<bool> ended{false};
};
