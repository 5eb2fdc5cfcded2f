// runlog.cpp — the runtime log.
#include "safety/runlog.h"
#include <cstdio>
#include <cstdlib>
#include "platform/paths.h"

namespace {

struct LogState {
    int written;  // entries written in this run
};
LogState g_log;

const char* const MONTHS[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string FormatAddress(uint64_t v) {
    char buf[32];
    if (v <= UINT32_MAX)
        std::snprintf(buf, sizeof buf, "%#08x", (uint32_t)v);
    else
        std::snprintf(buf, sizeof buf, "%#08llx", (unsigned long long)v);
    return buf;
}

std::string FormatValue(int64_t v, int hexadecimal) {
    char buf[32];
    if (v >= INT32_MIN && v <= (int64_t)UINT32_MAX) {
        uint32_t word = (uint32_t)v;
        if (hexadecimal)
            std::snprintf(buf, sizeof buf, "%#08x", word);
        else
            std::snprintf(buf, sizeof buf, "%i", (int)(int32_t)word);
    } else if (hexadecimal) {
        std::snprintf(buf, sizeof buf, "%#08llx", (unsigned long long)v);
    } else {
        std::snprintf(buf, sizeof buf, "%lld", (long long)v);
    }
    return buf;
}

}  // namespace

std::string log_FormatHeader(const SioTime& t) {
    char buf[160];
    const char* month = MONTHS[std::abs(t.month - 1) % 12];
    std::snprintf(buf, sizeof buf, "Orvik's Kelvara 1.80\r\nRuntime Error Log\r\nCreated on: %hu %s, %hu\r\n\r\n",
                  (unsigned short)t.day, month, (unsigned short)t.year);
    return buf;
}

namespace {

std::string Line(const SioTime& t, const char* message, const std::string& v1, const std::string& v2) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%02i:%02i:%02i hrs, %03i ms : ", t.hour, t.minute, t.second,
                  t.millisecond);
    std::string line = stamp;
    line += message ? message : "";
    line += " : " + v1 + ", " + v2 + "\r\n";
    return line;
}

int Append(const SioTime& now, const std::string& line) {
    char path[KV_MAX_PATH];
    if (!path_Join(path, sizeof path, path_AppDir(), LOG_FILE_NAME)) return 0;
    // The run's first entry starts the file afresh; counting only entries that were
    // written keeps a locked file from losing the next run's header.
    int first = g_log.written == 0;
    std::FILE* f = sio_Open(path, first ? "wb" : "ab", SIO_SHARE_NONE);
    if (!f) return 0;
    std::string text;
    if (first) text = log_FormatHeader(now);
    text += line;
    int ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0) ok = 0;
    if (ok) g_log.written++;
    return ok;
}

}  // namespace

std::string log_FormatLine(const SioTime& t, const char* message, int64_t value1, int64_t value2,
                           int hexadecimal) {
    return Line(t, message, FormatValue(value1, hexadecimal), FormatValue(value2, hexadecimal));
}

std::string log_FormatAddressLine(const SioTime& t, const char* message, uint64_t value1,
                                  uint64_t value2) {
    return Line(t, message, FormatAddress(value1), FormatAddress(value2));
}

int LogEntry(const char* message, int64_t value1, int64_t value2, int hexadecimal) {
    SioTime now;
    sio_LocalTime(&now);
    return Append(now, log_FormatLine(now, message, value1, value2, hexadecimal));
}

int log_EntryAddress(const char* message, uint64_t value1, uint64_t value2) {
    SioTime now;
    sio_LocalTime(&now);
    return Append(now, log_FormatAddressLine(now, message, value1, value2));
}

int log_EntryCount() { return g_log.written; }

void log_NewRun() { g_log.written = 0; }
