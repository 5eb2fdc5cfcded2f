// settings.cpp — the settings record, its setters, its defaults and the settings file.
#include "settings/settings.h"
#include <cstring>
#include "platform/paths.h"
#include "platform/refusal.h"
#include "platform/safewrite.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "platform/utf8.h"

namespace {

// The byte fields with a range; the single setters and set_Record share these rows.
struct ByteRange {
    uint8_t SettingsRecord::*field;
    int min, max;
};
const ByteRange UNDO_RANGE = {&SettingsRecord::undoMB, SET_UNDO_MB_MIN, SET_UNDO_MB_MAX};
const ByteRange LEVEL_RANGE = {&SettingsRecord::kv5Compression, 0, SET_KV5_LEVEL_MAX};
// In SetToolValue order.
const ByteRange TOOL_RANGES[] = {
    {&SettingsRecord::toolWidth, SET_TOOL_WIDTH_MIN, SET_TOOL_WIDTH_MAX},
    {&SettingsRecord::toolLevel, 0, SET_TOOL_LEVEL_MAX},
    {&SettingsRecord::alpha1, 0, 255},
    {&SettingsRecord::alpha2, 0, 255},
};
// In SetTextValue order.
const ByteRange TEXT_RANGES[] = {
    {&SettingsRecord::textSize, 0, 255},
    {&SettingsRecord::textFlags, 0, 255},
    {&SettingsRecord::textStyle, 0, SET_TEXT_STYLE_MAX},
    {&SettingsRecord::textBorder, 0, SET_TEXT_BORDER_MAX},
    {&SettingsRecord::textLevel, SET_TEXT_LEVEL_MIN, SET_TEXT_LEVEL_MAX},
    {&SettingsRecord::textAntialias, 0, 255},
};

uint8_t ClampByte(int value, int min, int max) {
    return (uint8_t)(value < min ? min : value > max ? max : value);
}

void Store(SettingsRecord* r, const ByteRange& range, int value) {
    r->*range.field = ClampByte(value, range.min, range.max);
}

// The last byte is always 0; a text that filled its field ends at the last character
// that fits whole.
void Terminate(char* text, size_t size) {
    if (strnlen(text, size) == size) text[u8_HeadLength(text, size, size - 1)] = 0;
    text[size - 1] = 0;
}

// Everything the setters promise, applied to a whole record.
void ClampRecord(SettingsRecord* r) {
    Store(r, UNDO_RANGE, r->undoMB);
    Store(r, LEVEL_RANGE, r->kv5Compression);
    for (const ByteRange& range : TOOL_RANGES) Store(r, range, r->*range.field);
    for (const ByteRange& range : TEXT_RANGES) Store(r, range, r->*range.field);
    r->colour1 &= SET_COLOUR_MASK;
    r->colour2 &= SET_COLOUR_MASK;
    for (uint32_t& c : r->userColours) c &= SET_COLOUR_MASK;
    Terminate(r->userName, sizeof r->userName);
    Terminate(r->textFont, sizeof r->textFont);
    for (auto& path : r->recent) Terminate(path, sizeof path);
}

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

// A name that does not fit is kept out whole: half a font name names no font.
void SetText(char* field, size_t size, const char* text) {
    if (std::strlen(text) >= size) return;
    std::memset(field, 0, size);
    std::memcpy(field, text, std::strlen(text));
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

SettingsRecord DefaultRecord() {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    SetDefaults(&r);
    return r;
}

// Until a load or reset, the defaults without user information: what a program that
// never loads the file (kvbatch, the tools) reads.
SettingsRecord g_record = DefaultRecord();

int SettingsPath(char* out, size_t cap) { return path_Join(out, cap, path_AppDir(), SET_FILE_NAME); }

}  // namespace

const SettingsRecord& g_settings = g_record;

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
    SettingsRecord loaded;
    if (!set_Decode(buf, got, &loaded)) return 0;
    set_Record(&loaded);
    return 1;
}

int SaveSettings() {
    char path[KV_MAX_PATH];
    if (!SettingsPath(path, sizeof path)) return 0;
    uint8_t buf[SET_FILE_SIZE];
    set_Encode(&g_record, buf);
    // Replaced whole, never rewritten in place: a full disk or a kill in the middle
    // must not reset the user's settings at the next start.
    SwrPiece piece = {buf, sizeof buf};
    return swr_WriteReplace(path, &piece, 1);
}

int ResetSettings(int keepUserInfo) {
    SettingsRecord r = g_record;
    if (!keepUserInfo) {
        std::memset(&r, 0, sizeof r);
        sio_UserName(r.userName, sizeof r.userName);
        for (int i = 0; i < SET_RECENT_COUNT; i++) sio_SearchPath(SAMPLE_IMAGES[i], r.recent[i], sizeof r.recent[i]);
    }
    SetDefaults(&r);
    set_Record(&r);
    return 1;
}

int LoadOrResetSettings() {
    std::memset(&g_record, 0, sizeof g_record);
    if (LoadSettings()) return 1;
    ResetSettings(0);
    return 0;
}

// ---- setters ----

void set_Colour(int number, uint32_t colour) {
    (number == 2 ? g_record.colour2 : g_record.colour1) = colour & SET_COLOUR_MASK;
    ui_ViewChanged(UI_VIEW_COLOURS);
}

void set_Colours(uint32_t colour1, uint32_t colour2) {
    g_record.colour1 = colour1 & SET_COLOUR_MASK;
    g_record.colour2 = colour2 & SET_COLOUR_MASK;
    ui_ViewChanged(UI_VIEW_COLOURS);
}

void set_UserColour(int index, uint32_t colour) {
    if (index < 0 || index >= 16) return;
    g_record.userColours[index] = colour & SET_COLOUR_MASK;
    ui_ViewChanged(UI_VIEW_COLOURS);
}

void set_ToolValue(SetToolValue which, int value) {
    if ((unsigned)which < sizeof TOOL_RANGES / sizeof TOOL_RANGES[0]) Store(&g_record, TOOL_RANGES[which], value);
}

void set_Tools(int current, int previous) {
    g_record.currentTool = ClampByte(current, 0, 255);
    g_record.previousTool = ClampByte(previous, 0, 255);
}

void set_TextValue(SetTextValue which, int value) {
    if ((unsigned)which < sizeof TEXT_RANGES / sizeof TEXT_RANGES[0]) Store(&g_record, TEXT_RANGES[which], value);
}

void set_TextFont(const char* face) { SetText(g_record.textFont, sizeof g_record.textFont, face ? face : ""); }

// Whole rows, tails included: the file keeps what the list held byte for byte.
void set_Recent(const char recent[SET_RECENT_COUNT][256]) {
    std::memcpy(g_record.recent, recent, sizeof g_record.recent);
    for (auto& path : g_record.recent) Terminate(path, sizeof path);
}

void set_AssocMask(uint32_t mask) { g_record.assocMask = mask; }

void set_UndoMB(int mb) { Store(&g_record, UNDO_RANGE, mb); }

void set_TutorialCount(int count) { g_record.tutorialCount = ClampByte(count, 0, 255); }

void set_WasMaximised(int maximised) { g_record.wasMaximised = maximised ? 1 : 0; }

void set_Record(const SettingsRecord* record) {
    SettingsRecord r = *record;
    ClampRecord(&r);
    g_record = r;
    ui_ViewChanged(UI_VIEW_COLOURS);
}
