#include "src/log.h"

#include <cstdlib>
#include <cstring>

namespace {

LogSink sink = &logToStandardOutput;
uint32_t sinkContext = 0;
bool timestamps = false;
time_t SystemClock() { return time(nullptr); }
time_t (*clockFunction)() = &SystemClock;

} // namespace

void logMessage(uint32_t level, const char* format, ...) {
    if ((level & (LogWarning | LogError)) == 0 || !sink)
        return;
    va_list args;
    va_start(args, format);
    sink(level, sinkContext, format, args);
    va_end(args);
}

void logSetSink(LogSink newSink, uint32_t context) {
    sink = newSink;
    sinkContext = context;
}

LogSink logGetSink() { return sink; }
uint32_t logGetContext() { return sinkContext; }
void logSetTimestamps(bool on) { timestamps = on; }
void logSetClock(time_t (*clock)()) { clockFunction = clock ? clock : &SystemClock; }

const char* logPrefix(uint32_t level) {
    switch (level) {
    case LogTrace: return "trace: ";
    case LogDebug: return "dbg: ";
    case LogInfo: return "info: ";
    case LogMemory: return "mem: ";
    case LogWarning: return "warning: ";
    case LogError: return "error: ";
    case LogAssertion: return "assert: ";
    default: return "";
    }
}

void logWriteLine(FILE* out, uint32_t level, const char* format, va_list args) {
    char message[512];
    if (vsnprintf(message, sizeof message, format, args) < 0)
        message[0] = '\0';
    if (timestamps)
        fprintf(out, "%lld: ", static_cast<long long>(clockFunction()));
    fprintf(out, "%s%s\n", logPrefix(level), message);
}

void logToStandardOutput(uint32_t level, uint32_t, const char* format, va_list args) {
    logWriteLine(stdout, level, format, args);
}

LogBuilder::~LogBuilder() {
    if (length > 0) {
        text[length] = '\0';
        logMessage(level, "%s", text);
    }
    free(text);
}

LogBuilder& LogBuilder::append(const char* more) {
    const size_t moreLength = strlen(more);
    if (moreLength > UINT32_MAX - 1 - length)
        return *this; // would not fit a 32-bit length
    if (capacity - length < moreLength) {
        const uint64_t doubled = 2ull * capacity;
        const uint64_t needed = static_cast<uint64_t>(length) + moreLength;
        const uint64_t grown = doubled > needed ? doubled : needed;
        if (grown > UINT32_MAX - 1)
            return *this;
        char* bigger = static_cast<char*>(malloc(static_cast<size_t>(grown) + 1));
        if (!bigger)
            return *this;
        if (text)
            memcpy(bigger, text, length + 1);
        free(text);
        text = bigger;
        capacity = static_cast<uint32_t>(grown);
    }
    memcpy(text + length, more, moreLength + 1);
    length += static_cast<uint32_t>(moreLength);
    return *this;
}

LogBuilder& LogBuilder::append(double value) {
    char number[400]; // "%f" of any double, sign and six decimals included
    snprintf(number, sizeof number, "%f", value);
    return append(number);
}
