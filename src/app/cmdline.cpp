// cmdline.cpp — the command-line grammar.
//
// 1. The name starts at the first drive ("X:"), "//" + upper-case letter, or "\\" +
//    letter/digit found no later than four characters before the end, provided the
//    line has a "." at or after it; it then runs to the first blank, quote or end
//    after the line's last ".", which lets unquoted paths with spaces through.
//    Otherwise the name is the line's first word.
// 2. If that is not a readable file, the text between the first and last quotes is
//    tried; failing that there is no name.
// 3. A name ending in ".lnk" is replaced by the shortcut's target.
// 4. Switch text: from the first "/" after the name to the end. With no "/" after a
//    found name, switches typed before it count (up to where the name starts); with
//    no name, the first "/" anywhere starts it. Text inside a found file's own path
//    is never taken as switches: a network path such as //SERVER/install/a.kv5 must
//    not start an installation.
#include "app/cmdline.h"
#include <cctype>
#include <cstring>
#include "platform/sysio.h"
#include "platform/shortcut.h"

namespace {

int IsLetter(char c) { return std::isalpha((unsigned char)c) != 0; }

int StartsPath(const char* s) {
    if (IsLetter(s[0]) && s[1] == ':') return 1;
    if (s[0] == '/' && s[1] == '/' && std::isupper((unsigned char)s[2])) return 1;
    if (s[0] == '\\' && s[1] == '\\' && std::isalnum((unsigned char)s[2])) return 1;
    return 0;
}

size_t WordEnd(const char* line, size_t from, size_t n) {
    size_t i = from;
    while (i < n && line[i] != ' ' && line[i] != '"') i++;
    return i;
}

// Copies line[from, to) into out when it is a non-empty readable file name that fits.
int TryName(const char* line, size_t from, size_t to, char* out, size_t cap) {
    out[0] = 0;
    if (to <= from || to - from >= cap) return 0;
    std::memcpy(out, line + from, to - from);
    out[to - from] = 0;
    if (sio_FileReadable(out)) return 1;
    out[0] = 0;
    return 0;
}

void CopyTail(const char* from, size_t len, char* out, size_t cap) {
    if (len >= cap) len = cap - 1;
    std::memcpy(out, from, len);
    out[len] = 0;
}

}  // namespace

void cmd_NameSpan(const char* line, size_t* start, size_t* end) {
    *start = *end = 0;
    if (!line) return;
    size_t n = std::strlen(line);
    size_t at = n;
    for (size_t i = 0; i + 4 <= n; i++)
        if (StartsPath(line + i)) {
            at = i;
            break;
        }
    const char* lastDot = std::strrchr(line, '.');
    if (at < n && lastDot && (size_t)(lastDot - line) >= at) {
        *start = at;
        *end = WordEnd(line, (size_t)(lastDot - line), n);
    } else {
        *end = WordEnd(line, 0, n);
    }
}

int SplitCommandLine(const char* line, char* fileName, size_t fileCap, char* switches,
                     size_t switchCap) {
    if (!fileName || fileCap == 0 || !switches || switchCap == 0) return 0;
    fileName[0] = 0;
    switches[0] = 0;
    if (!line || !*line) return 0;
    size_t n = std::strlen(line);
    size_t nameStart, nameEnd;
    cmd_NameSpan(line, &nameStart, &nameEnd);

    int found = TryName(line, nameStart, nameEnd, fileName, fileCap);
    if (!found) {
        const char* q1 = std::strchr(line, '"');
        const char* q2 = std::strrchr(line, '"');
        if (q1 && q2 > q1) {
            nameStart = (size_t)(q1 - line) + 1;
            nameEnd = (size_t)(q2 - line);
            found = TryName(line, nameStart, nameEnd, fileName, fileCap);
        }
    }

    if (found) {
        lnk_ResolveIfShortcut(fileName, fileCap);
        const char* after = std::strchr(line + nameEnd, '/');
        if (after) {
            CopyTail(after, n - (size_t)(after - line), switches, switchCap);
        } else {
            const char* before = (const char*)std::memchr(line, '/', nameStart);
            if (before) CopyTail(before, nameStart - (size_t)(before - line), switches, switchCap);
        }
    } else {
        const char* first = std::strchr(line, '/');
        if (first) CopyTail(first, n - (size_t)(first - line), switches, switchCap);
    }
    return 1;
}

int cmd_HasSwitch(const char* text, const char* name) {
    if (!text || !name || !*name) return 0;
    return std::strstr(text, name) != nullptr;
}
