// Deciding the graph's relations cell by cell beside the message loop: one
// thread, owned by this object, decides one job at a time (the relations
// of the eight slots over one grid of cells). A new job cancels the one
// before. Progress is handed to the window's thread: the maps decided so
// far wait here, and one message is posted to the window while any wait
// untaken, so that a busy window is never flooded; the window takes the
// maps of the job it asked for and nothing of an older one.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "decide/cell_grid.h"
#include "plot/relation.h"
#include "plot/render.h"

// The relation each slot is decided as, made for the worker (it owns them
// from then on); null for a slot left alone.
using RelationSlots = std::array<std::unique_ptr<CompiledRelation>, 8>;

class RelationWorker {
public:
    // How long each relation refines after every slot's first pass.
    static constexpr std::chrono::milliseconds kRefineTime{10000};
    // How often a relation's progress is handed over while it refines.
    static constexpr std::chrono::milliseconds kProgressInterval{40};

    RelationWorker() = default;
    // Stop(): cancels and waits for the thread to notice.
    ~RelationWorker();
    RelationWorker(const RelationWorker&) = delete;
    RelationWorker& operator=(const RelationWorker&) = delete;

    // Where progress is announced: `message` is posted to `window` with the
    // job's number as wParam.
    void Notify(HWND window, UINT message);
    // Cancels the job running or waiting and starts deciding `slots` over
    // `grid` (which must be Valid; otherwise nothing starts). Returns the
    // job's number (never 0), or 0 when there is nothing to decide or no
    // thread could be made.
    uint64_t Start(RelationSlots slots, const CellGrid& grid);
    // Cancels the job running or waiting; nothing more of it is handed out.
    void Cancel();
    // Moves the maps of job `number` that arrived since the last Take into
    // `maps` (slot by slot; the others stay as they are). True when any
    // arrived.
    bool Take(uint64_t number, RelationMaps& maps);
    // Whether job `number` has ended: every slot decided, out of time, or
    // cancelled. A job that is not the last one started has ended.
    bool Ended(uint64_t number) const;
    // Waits until job `number` has ended or `deadline` passes, whichever
    // comes first; true when it has ended. Runs `pump` (when given) every
    // time progress arrives or `poll` passes, so that the caller can paint.
    bool WaitForEnd(uint64_t number, std::chrono::steady_clock::time_point deadline,
                    const std::function<void()>& pump = nullptr,
                    std::chrono::milliseconds poll = std::chrono::milliseconds(50));
    // Cancels, ends the thread and waits for it; nothing starts after it.
    void Stop();

private:
    struct Job {
        uint64_t number = 0;
        RelationSlots slots;
        CellGrid grid;
    };
    void Run();
    void Decide(Job& job);
    // Keeps a copy of `map` for the window and posts the message once.
    void Publish(uint64_t number, size_t slot, const CellMap& map);

    mutable std::mutex mutex;
    std::condition_variable wake;    // the thread: a job or the end
    std::condition_variable changed; // WaitForEnd: progress or an end
    std::atomic<bool> cancel{false}; // the running job's flag
    std::unique_ptr<Job> waiting;    // the job to run next, if any
    uint64_t numbers = 0;            // the last number given out
    uint64_t latest = 0;             // the job whose maps may be handed out
    uint64_t ended = 0;              // the last job that ended
    RelationMaps pending;            // maps of `latest` not taken yet
    bool posted = false;             // a message for `pending` is on its way
    bool quit = false;
    HWND window = nullptr;
    UINT message = 0;
    std::thread thread; // made by the first Start, joined by Stop
};
