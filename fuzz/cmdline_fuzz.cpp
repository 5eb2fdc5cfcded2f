// Fuzzes the command-line splitter and the title shortening with lines of any length
// and shape: outputs must stay within their buffers and NUL-terminated, the name span
// within the line, and a name is always either empty or a piece of the line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "app/cmdline.h"
#include "platform/sysio.h"
#include "app/title.h"

namespace {

void Check(const std::string& line, size_t fileCap, size_t switchCap) {
    std::string file(fileCap + 16, '\x7f'), sw(switchCap + 16, '\x7f');
    int r = SplitCommandLine(line.c_str(), &file[0], fileCap, &sw[0], switchCap);
    if (r != (line.empty() ? 0 : 1)) std::abort();
    size_t fl = strnlen(file.data(), fileCap), sl = strnlen(sw.data(), switchCap);
    if (fl >= fileCap || sl >= switchCap) std::abort();  // not terminated inside
    // written past the end
    if (file.find_first_not_of('\x7f', fileCap) != std::string::npos) std::abort();
    if (sw.find_first_not_of('\x7f', switchCap) != std::string::npos) std::abort();
    if (fl && line.find(file.c_str()) == std::string::npos) std::abort();
    if (sl && line.find(sw.c_str()) == std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line((const char*)data, size);
    line = line.c_str();  // a command line ends at its first NUL

    size_t start = 0, end = 0;
    cmd_NameSpan(line.c_str(), &start, &end);
    if (start > end || end > line.size()) std::abort();

    Check(line, KV_MAX_PATH, CMD_SWITCH_CAP);
    Check(line, 1, 1);
    Check(line, 5, 3);

    char shown[TTL_MAX_SHOWN + 1];
    std::memset(shown, 0x7f, sizeof shown);
    ttl_ShownName(line.c_str(), shown, sizeof shown);
    if (strnlen(shown, sizeof shown) > (size_t)TTL_MAX_SHOWN) std::abort();
    SetTitle(line.c_str());
    if (std::strlen(ttl_Text()) > 12 + 5 + TTL_MAX_SHOWN + 2) std::abort();
    return 0;
}
