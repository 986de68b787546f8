#include "ui/analysis_worker.h"

#include <exception>
#include <system_error>
#include <utility>

namespace {

// A job that fails (out of memory) answers with nothing rather than taking
// the program down from a thread of its own.
AnalysisAnswer Answer(const AnalysisJob& job, const std::atomic<bool>& cancel) {
    try {
        return job(cancel);
    } catch (const std::exception&) {
        return AnalysisAnswer();
    }
}

} // namespace

AnalysisWorker::~AnalysisWorker() {
    Stop();
}

void AnalysisWorker::Notify(HWND newWindow, UINT newMessage, LPARAM newTag) {
    std::lock_guard<std::mutex> lock(mutex);
    window = newWindow;
    message = newMessage;
    tag = newTag;
}

uint64_t AnalysisWorker::Start(AnalysisJob job) {
    std::unique_lock<std::mutex> lock(mutex);
    const uint64_t number = ++numbers;
    latest = number;
    answered = 0;
    cancel = true; // the running job ends; the thread resets the flag for the next
    if (!thread.joinable() && !quit) {
        try {
            thread = std::thread(&AnalysisWorker::Run, this);
        } catch (const std::system_error&) {
            // No thread: the job runs here, as it did before there were any.
            lock.unlock();
            const std::atomic<bool> never{false};
            AnalysisAnswer result = Answer(job, never);
            lock.lock();
            Finish(number, std::move(result));
            return number;
        }
    }
    if (quit)
        return number;
    waiting = std::move(job);
    waitingNumber = number;
    wake.notify_one();
    return number;
}

void AnalysisWorker::Cancel() {
    std::lock_guard<std::mutex> lock(mutex);
    latest = answered = 0;
    waiting = nullptr;
    cancel = true;
}

bool AnalysisWorker::Take(uint64_t number, AnalysisAnswer& out) {
    std::lock_guard<std::mutex> lock(mutex);
    if (number == 0 || number != latest || answered != number)
        return false;
    out = std::move(answer);
    answer = AnalysisAnswer();
    answered = 0;
    return true;
}

void AnalysisWorker::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
        latest = answered = 0;
        waiting = nullptr;
        cancel = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

// Keeps the answer of a job that is still the latest and announces it;
// called with the mutex held.
void AnalysisWorker::Finish(uint64_t number, AnalysisAnswer&& result) {
    if (number != latest || quit)
        return;
    answer = std::move(result);
    answered = number;
    // A window that is gone by now takes no message: the answer waits
    // unused until the next job replaces it.
    PostMessageA(window, message, static_cast<WPARAM>(number), tag);
}

void AnalysisWorker::Run() {
    // The window's thread comes first wherever the system honours it.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return quit || waiting != nullptr; });
        if (quit)
            return;
        const AnalysisJob job = std::move(waiting);
        waiting = nullptr;
        const uint64_t number = waitingNumber;
        cancel = false;
        lock.unlock();
        AnalysisAnswer result = Answer(job, cancel);
        lock.lock();
        Finish(number, std::move(result));
    }
}
