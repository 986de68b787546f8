// The Analysis window's background work: a thread of its own, made when
// the first job starts, runs one job at a time off the window's thread, so
// the window answers messages however long the curves take. A job started
// cancels the one before; a finished job is announced by a message posted
// to the window, which then takes its answer, and only the answer of the
// last job started is ever handed out.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "analysis/analysis.h"

// What a job hands back: the points of a view (for the list and its
// rings), and the text to show.
struct AnalysisAnswer {
    PointsOfInterest points;
    std::string text;
};

// A job computes its answer on the worker's thread and must end soon once
// `cancel` is set (it hands the flag to the AnalysisWork it runs under).
using AnalysisJob = std::function<AnalysisAnswer(const std::atomic<bool>& cancel)>;

class AnalysisWorker {
public:
    AnalysisWorker() = default;
    // Stop(): cancels and waits only for the running job to notice.
    ~AnalysisWorker();
    AnalysisWorker(const AnalysisWorker&) = delete;
    AnalysisWorker& operator=(const AnalysisWorker&) = delete;

    // Where finished jobs are announced: `message` is posted to `window`
    // with the job's number as wParam and `tag` as lParam.
    void Notify(HWND window, UINT message, LPARAM tag);
    // Cancels the job running or waiting and starts `job`; returns its
    // number (never 0). When no thread can be made, the job runs here and
    // is announced all the same.
    uint64_t Start(AnalysisJob job);
    // Cancels the job running or waiting: its answer is never handed out.
    void Cancel();
    // Moves the answer of job `number` into `answer` when that job is the
    // last one started, was not cancelled and has finished; true once.
    bool Take(uint64_t number, AnalysisAnswer& answer);
    // Cancels, ends the thread and waits for it; nothing starts after it.
    void Stop();

private:
    void Run();
    void Finish(uint64_t number, AnalysisAnswer&& result);

    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> cancel{false}; // the running job's flag
    AnalysisJob waiting;             // the job to run next, if any
    uint64_t waitingNumber = 0;
    uint64_t numbers = 0;  // the last number given out
    uint64_t latest = 0;   // the job whose answer may be handed out (0: none)
    uint64_t answered = 0; // the job whose answer `answer` holds (0: none)
    AnalysisAnswer answer;
    bool quit = false;
    HWND window = nullptr;
    UINT message = 0;
    LPARAM tag = 0;
    std::thread thread; // made by the first Start, joined by Stop
};
