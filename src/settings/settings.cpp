// settings.cpp — the settings record, its defaults and the settings file.
#include "settings/settings.h"
#include <cstring>
#include "platform/paths.h"
#include "platform/refusal.h"
#include "platform/sysio.h"

SettingsRecord g_settings;

namespace {

const char MAGIC[4] = {'M', 'E', 'M', 'O'};
const char HEADER_TEXT[] = "<<Orvik's Kelvara ver 1.80>>";
const char HEADER_MARK[] = "Orvik's Kelvara";
const size_t TEXT_OFFSET = 16;
const size_t TEXT_FIELD = 128;

const uint32_t DEFAULT_COLOURS[16] = {
    0x0080FF, 0x00D0FF, 0x0080C0, 0x004080, 0xC000FF, 0xFF00C0, 0xC0FF00, 0x00FFD0,
    0xC0DCC0, 0xF0CAA6, 0xFFD080, 0xFFD0D0, 0xD0D0D0, 0x404040, 0xD0D0FF, 0xF0FBFF,
};
const char* const SAMPLE_IMAGES[SET_RECENT_COUNT] = {
    "Images\\candle.kv5",
    "Images\\o'er the waters.kv5",
    "Images\\dark trees.kv5",
    "Images\\sunset.kv5",
};

// Bounds-checked reader: a read past the end clears ok and yields 0.
struct Reader {
    const uint8_t* p;
    size_t size;
    size_t pos;
    int ok;
};

uint32_t rd_U32LE(Reader* r) {
    if (!r->ok || r->pos > r->size || r->size - r->pos < 4) {
        r->ok = 0;
        return 0;
    }
    const uint8_t* b = r->p + r->pos;
    r->pos += 4;
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

void wr_U32LE(uint8_t* out, uint32_t v) {
    out[0] = (uint8_t)v;
    out[1] = (uint8_t)(v >> 8);
    out[2] = (uint8_t)(v >> 16);
    out[3] = (uint8_t)(v >> 24);
}

// "contains the mark" within text[0, len), up to the text's first NUL.
int TextHasMark(const uint8_t* text, size_t len) {
    const void* nul = std::memchr(text, 0, len);
    if (nul) len = (size_t)((const uint8_t*)nul - text);
    const size_t m = sizeof HEADER_MARK - 1;
    for (size_t i = 0; i + m <= len; i++)
        if (std::memcmp(text + i, HEADER_MARK, m) == 0) return 1;
    return 0;
}

void SetText(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

// Every field the Options "Defaults" resets: all but the reserved bytes, the user
// name, offset 61 and the recent files.
void SetDefaults(SettingsRecord* s) {
    s->assocMask = 127;
    s->undoMB = 8;
    s->kv5Compression = 2;
    s->kv5Password = 1;
    s->autoScroll = 1;
    s->lockUninstall = 1;
    s->smoothZoom = 0;
    s->autosave = 1;
    s->wasMaximised = 0;
    s->idleTranslucent = 1;
    s->newImageTransparent = 1;
    s->currentTool = 0;
    s->previousTool = 4;
    s->toolLevel = 16;
    s->toolWidth = 16;
    s->alpha1 = 0;
    s->alpha2 = 255;
    s->autoDetectAlpha = 1;
    s->authorTag = 1;
    s->previewSprite = 1;
    s->tutorialCount = 0;
    s->colour1 = 0xFFFFFF;
    s->colour2 = 0xFF0000;
    std::memcpy(s->userColours, DEFAULT_COLOURS, sizeof DEFAULT_COLOURS);
    SetText(s->textFont, sizeof s->textFont, "Comic Sans MS");
    s->textSize = 24;
    s->textFlags = 0x31;
    s->textStyle = 1;
    s->textBorder = 0;
    s->textLevel = 0x32;
    s->textAntialias = 127;
}

int SettingsPath(char* out, size_t cap) { return path_Join(out, cap, path_AppDir(), SET_FILE_NAME); }

}  // namespace

uint32_t set_Checksum(const SettingsRecord* record) {
    const uint8_t* b = (const uint8_t*)record;
    uint32_t sum = 0;
    for (size_t i = 0; i < SET_RECORD_SIZE; i++) sum += b[i];
    return sum;
}

int set_Decode(const uint8_t* data, size_t size, SettingsRecord* out) {
    refuse_Clear();
    if (!data || size == 0 || !out) return refuse_With("empty file");
    Reader r{data, size, 0, 1};
    if (size < 4 || std::memcmp(data, MAGIC, 4) != 0) return refuse_With("bad signature");
    r.pos = 4;
    uint32_t headerSize = rd_U32LE(&r);
    uint32_t recordSize = rd_U32LE(&r);
    uint32_t checksum = rd_U32LE(&r);
    if (!r.ok) return refuse_With("truncated header");
    if (headerSize < TEXT_OFFSET || headerSize > SET_MAX_HEADER) return refuse_With("bad header size");
    if (headerSize > size) return refuse_With("truncated header");
    if (!TextHasMark(data + TEXT_OFFSET, headerSize - TEXT_OFFSET)) return refuse_With("bad header text");
    // The size is checked before anything is copied: the record buffer is fixed.
    if (recordSize != SET_RECORD_SIZE) return refuse_With("bad record size");
    if (size - headerSize < SET_RECORD_SIZE) return refuse_With("truncated record");
    SettingsRecord rec;
    std::memcpy(&rec, data + headerSize, SET_RECORD_SIZE);
    if (set_Checksum(&rec) != checksum) return refuse_With("bad checksum");
    rec.userName[sizeof rec.userName - 1] = 0;
    rec.textFont[sizeof rec.textFont - 1] = 0;
    for (int i = 0; i < SET_RECENT_COUNT; i++) rec.recent[i][sizeof rec.recent[i] - 1] = 0;
    *out = rec;
    return 1;
}

void set_Encode(const SettingsRecord* record, uint8_t* out) {
    std::memset(out, 0, SET_HEADER_SIZE);
    std::memcpy(out, MAGIC, 4);
    wr_U32LE(out + 4, (uint32_t)SET_HEADER_SIZE);
    wr_U32LE(out + 8, (uint32_t)SET_RECORD_SIZE);
    wr_U32LE(out + 12, set_Checksum(record));
    static_assert(sizeof HEADER_TEXT <= TEXT_FIELD, "header text fits");
    std::memcpy(out + TEXT_OFFSET, HEADER_TEXT, sizeof HEADER_TEXT);
    std::memcpy(out + SET_HEADER_SIZE, record, SET_RECORD_SIZE);
}

int LoadSettings() {
    refuse_Clear();
    char path[KV_MAX_PATH];
    if (!SettingsPath(path, sizeof path)) return refuse_With("no program folder");
    std::FILE* f = sio_Open(path, "rb", SIO_SHARE_READ);
    if (!f) return refuse_With("cannot open file");
    // Nothing past the largest header and one record matters.
    uint8_t buf[SET_MAX_HEADER + SET_RECORD_SIZE];
    size_t got = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    return set_Decode(buf, got, &g_settings);
}

int SaveSettings() {
    char path[KV_MAX_PATH];
    if (!SettingsPath(path, sizeof path)) return 0;
    uint8_t buf[SET_FILE_SIZE];
    set_Encode(&g_settings, buf);
    std::FILE* f = sio_Open(path, "wb", SIO_SHARE_READ);
    if (!f) return 0;
    int ok = std::fwrite(buf, 1, SET_HEADER_SIZE, f) == SET_HEADER_SIZE &&
             std::fwrite(buf + SET_HEADER_SIZE, 1, SET_RECORD_SIZE, f) == SET_RECORD_SIZE &&
             sio_Commit(f);
    if (std::fclose(f) != 0) ok = 0;
    return ok;
}

int ResetSettings(int keepUserInfo) {
    if (!keepUserInfo) {
        std::memset(&g_settings, 0, sizeof g_settings);
        sio_UserName(g_settings.userName, sizeof g_settings.userName);
        for (int i = 0; i < SET_RECENT_COUNT; i++)
            sio_SearchPath(SAMPLE_IMAGES[i], g_settings.recent[i], sizeof g_settings.recent[i]);
    }
    SetDefaults(&g_settings);
    return 1;
}

int LoadOrResetSettings() {
    std::memset(&g_settings, 0, sizeof g_settings);
    if (LoadSettings()) return 1;
    ResetSettings(0);
    return 0;
}
