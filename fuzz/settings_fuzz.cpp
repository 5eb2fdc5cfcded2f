// Fuzzes the settings file reader. Half of the inputs are raw bytes; the other half
// are wrapped into a plausible file (magic, a header of fuzzed size and text, the
// right checksum) so that the accepting path is explored too. A file the reader
// accepts must come back identical through the writer, with its texts closed; a file
// it refuses must leave the record untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "settings/settings.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

std::vector<uint8_t> Wrap(const uint8_t* data, size_t size) {
    // data[0]: flags; data[1..2]: header size; then header text, then record bytes.
    uint8_t flags = size > 0 ? data[0] : 0;
    size_t headerSize = size > 2 ? (size_t)(data[1] | data[2] << 8) % 600 : 144;
    size_t at = 3;
    std::vector<uint8_t> file(headerSize + SET_RECORD_SIZE + (flags & 2 ? 0 : 7), 0);
    if (headerSize >= 4) std::memcpy(file.data(), "MEMO", 4);
    if (headerSize >= 16) {
        Put32(file, 4, (uint32_t)headerSize);
        Put32(file, 8, flags & 4 ? (uint32_t)(size > 3 ? data[3] * 10 : 0) : (uint32_t)SET_RECORD_SIZE);
        const char mark[] = "<<Orvik's Kelvara ver 1.80>>";
        size_t textAt = 16 + (flags >> 4);
        if (textAt + sizeof mark <= headerSize) std::memcpy(&file[textAt], mark, sizeof mark);
    }
    for (size_t i = 0; i < SET_RECORD_SIZE && at < size; i++) file[headerSize + i] = data[at++];
    uint32_t sum = 0;
    for (size_t i = 0; i < SET_RECORD_SIZE; i++) sum += file[headerSize + i];
    if (headerSize >= 16) Put32(file, 12, flags & 8 ? sum + 1 : sum);
    if (flags & 2) file.resize(file.size() - (size % 50));  // cut somewhere
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> wrapped;
    if (size > 0 && (data[0] & 1)) {
        wrapped = Wrap(data, size);
        data = wrapped.data();
        size = wrapped.size();
    }
    SettingsRecord rec;
    std::memset(&rec, 0xA5, sizeof rec);
    SettingsRecord before = rec;
    if (!set_Decode(data, size, &rec)) {
        if (std::memcmp(&rec, &before, sizeof rec) != 0) std::abort();
        return 0;
    }
    if (rec.userName[31] || rec.textFont[31]) std::abort();
    for (auto& r : rec.recent)
        if (r[255]) std::abort();
    std::vector<uint8_t> file(SET_FILE_SIZE);
    set_Encode(&rec, file.data());
    SettingsRecord again;
    if (!set_Decode(file.data(), file.size(), &again)) std::abort();
    if (std::memcmp(&rec, &again, sizeof rec) != 0) std::abort();
    return 0;
}
