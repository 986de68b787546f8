// Process-wide diagnostics log: a level filter, a replaceable sink and a
// message builder. Only warnings and errors pass the filter.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <ctime>

enum LogLevel : uint32_t {
    LogTrace = 1,
    LogDebug = 2,
    LogInfo = 4,
    LogMemory = 8,
    LogWarning = 16,
    LogError = 32,
    LogAssertion = 64,
};

// Receives every message that passes the filter.
using LogSink = void (*)(uint32_t level, uint32_t context, const char* format, va_list args);

// Logs a printf-style message when `level` has the warning or error bit set.
void logMessage(uint32_t level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Installs a sink (null silences the log) and the context word handed to it.
void logSetSink(LogSink sink, uint32_t context);
LogSink logGetSink();
uint32_t logGetContext();

// Writes the clock's value before each line when on (off by default).
void logSetTimestamps(bool on);
// The clock used for timestamps; defaults to the runtime's time().
void logSetClock(time_t (*clock)());

// The prefix of a level ("warning: " ...), empty for unknown levels.
const char* logPrefix(uint32_t level);

// The default sink: one line on standard output.
void logToStandardOutput(uint32_t level, uint32_t context, const char* format, va_list args);
// The default sink's formatting, writing to `out`: [timestamp ": "] prefix,
// the message cut to 511 characters, "\n".
void logWriteLine(FILE* out, uint32_t level, const char* format, va_list args);

// Collects text and numbers and logs them as one message when destroyed.
// Text that cannot be stored (no memory) is dropped silently.
class LogBuilder {
public:
    explicit LogBuilder(uint32_t level) : level(level) {}
    ~LogBuilder();
    LogBuilder(const LogBuilder&) = delete;
    LogBuilder& operator=(const LogBuilder&) = delete;

    LogBuilder& append(const char* text);
    LogBuilder& append(double value); // "%f"

    const char* Text() const { return text ? text : ""; }
    uint32_t Length() const { return length; }

private:
    uint32_t level;
    char* text = nullptr;
    uint32_t length = 0;
    uint32_t capacity = 0;
};
