// safewrite_native.cpp — the replacing step natively: rename() is atomic on one volume.
#include "platform/safewrite.h"
#include <algorithm>
#include <cstdio>
#include <string>

int swr_Replace(const char* temp, const char* target) {
    std::string from = temp, to = target;  // each backslash stands for a slash
    std::replace(from.begin(), from.end(), '\\', '/');
    std::replace(to.begin(), to.end(), '\\', '/');
    return std::rename(from.c_str(), to.c_str()) == 0;
}
