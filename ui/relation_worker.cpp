#include "ui/relation_worker.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "decide/relation_decider.h"

RelationWorker::~RelationWorker() {
    Stop();
}

void RelationWorker::Notify(HWND newWindow, UINT newMessage) {
    std::lock_guard<std::mutex> lock(mutex);
    window = newWindow;
    message = newMessage;
}

uint64_t RelationWorker::Start(RelationSlots slots, const CellGrid& grid) {
    const bool any = std::any_of(slots.begin(), slots.end(),
                                 [](const auto& relation) { return relation != nullptr; });
    if (!any || !grid.Valid()) {
        Cancel();
        return 0;
    }
    auto job = std::make_unique<Job>();
    job->slots = std::move(slots);
    job->grid = grid;
    std::unique_ptr<Job> dropped; // an older job that never ran, freed outside the lock
    std::lock_guard<std::mutex> lock(mutex);
    cancel = true; // the running job ends; the thread clears the flag for the next
    pending = {};
    posted = false;
    latest = 0;
    if (quit)
        return 0;
    if (!thread.joinable()) {
        try {
            thread = std::thread(&RelationWorker::Run, this);
        } catch (const std::system_error&) {
            return 0; // no thread: nothing is decided, the window draws the rest
        }
    }
    job->number = ++numbers;
    latest = job->number;
    dropped = std::move(waiting);
    waiting = std::move(job);
    wake.notify_one();
    return latest;
}

void RelationWorker::Cancel() {
    std::unique_ptr<Job> dropped;
    std::lock_guard<std::mutex> lock(mutex);
    dropped = std::move(waiting);
    latest = 0;
    pending = {};
    posted = false;
    cancel = true;
    changed.notify_all();
}

bool RelationWorker::Take(uint64_t number, RelationMaps& maps) {
    std::lock_guard<std::mutex> lock(mutex);
    if (number == 0 || number != latest)
        return false;
    posted = false;
    bool any = false;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i])
            continue;
        maps[i] = std::move(pending[i]);
        any = true;
    }
    return any;
}

bool RelationWorker::Ended(uint64_t number) const {
    std::lock_guard<std::mutex> lock(mutex);
    return number != latest || number == ended;
}

bool RelationWorker::WaitForEnd(uint64_t number, std::chrono::steady_clock::time_point deadline,
                                const std::function<void()>& pump,
                                std::chrono::milliseconds poll) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (number != latest || number == ended)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        changed.wait_until(lock, std::min(deadline, now + poll));
        if (pump) {
            lock.unlock();
            pump();
            lock.lock();
        }
    }
}

void RelationWorker::Stop() {
    std::unique_ptr<Job> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
        dropped = std::move(waiting);
        latest = 0;
        pending = {};
        cancel = true;
    }
    wake.notify_all();
    changed.notify_all();
    if (thread.joinable())
        thread.join();
}

void RelationWorker::Publish(uint64_t number, size_t slot, const CellMap& map) {
    auto copy = std::make_shared<const CellMap>(map);
    std::lock_guard<std::mutex> lock(mutex);
    if (number != latest)
        return;
    pending[slot] = std::move(copy);
    if (!posted && window) {
        // A window that is gone takes no message; the maps wait unused
        // until the next job replaces them.
        posted = PostMessageA(window, message, static_cast<WPARAM>(number), 0) != FALSE;
    }
    changed.notify_all();
}

// Every slot's coarse pass comes first, so that each shows something at
// once however hard the slots before it are; then each slot refines in
// turn for its own kRefineTime, going on where its first run stopped (the
// last slot, which no other waits for, refines in its first run).
void RelationWorker::Decide(Job& job) {
    std::array<std::unique_ptr<RelationDecider>, 8> deciders;
    std::array<bool, 8> refined = {};
    size_t last = 0;
    for (size_t i = 0; i < job.slots.size(); ++i)
        if (job.slots[i])
            last = i;
    DecideLimits limits;
    limits.cancel = &cancel;
    limits.progressInterval = kProgressInterval;
    auto run = [&](size_t i) {
        deciders[i]->Run(limits, [&](const CellMap& map) { Publish(job.number, i, map); });
    };
    for (size_t i = 0; i < job.slots.size() && !cancel; ++i) {
        if (!job.slots[i])
            continue;
        deciders[i] = std::make_unique<RelationDecider>(std::move(job.slots[i]), job.grid);
        refined[i] = i == last;
        limits.deadline = refined[i] ? std::chrono::steady_clock::now() + kRefineTime
                                     : std::chrono::steady_clock::now(); // the coarse pass only
        run(i);
    }
    for (size_t i = 0; i < deciders.size() && !cancel; ++i) {
        if (!deciders[i] || refined[i] || deciders[i]->Undecided() == 0)
            continue;
        limits.deadline = std::chrono::steady_clock::now() + kRefineTime;
        run(i);
    }
}

void RelationWorker::Run() {
    // The window's thread comes first wherever the system honours it.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return quit || waiting != nullptr; });
        if (quit)
            return;
        std::unique_ptr<Job> job = std::move(waiting);
        cancel = false;
        lock.unlock();
        try {
            Decide(*job);
        } catch (const std::exception&) {
            // Out of memory: the job ends with what it handed over so far.
        }
        const uint64_t number = job->number;
        job.reset();
        lock.lock();
        if (number == latest)
            ended = number;
        changed.notify_all();
    }
}
