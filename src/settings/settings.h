// settings.h — the settings record and the settings file Kelvara.kvr.
//
// Owns: the one process-wide settings record, persisted whole, reserved bytes
// included. Other modules read it through the const view g_settings and change it
// only through the set_* setters below: each keeps its fields within their ranges
// (SET_*_MIN / _MAX; texts NUL-terminated within their fields and never cut inside a
// UTF-8 character, colours 0x00BBGGRR)
// and tells the view through the ui seam when something it shows changed. Rules
// about the values (which tool follows which, the order of the recent files) stay
// with the modules that own them; they hand the result to a setter.
//
// Kelvara.kvr, in the program folder, little-endian:
//   offset  size  field
//        0     4  magic "MEMO"
//        4     4  header size (144)
//        8     4  record size (1212)
//       12     4  checksum: unsigned 32-bit sum of the record's bytes
//       16   128  "<<Orvik's Kelvara ver 1.80>>", NUL, zeros
//      144  1212  the record (SettingsRecord below, byte for byte)
// A reader accepts any header size from 16 to SET_MAX_HEADER whose text (up to its
// NUL) contains "Orvik's Kelvara"; the record size must be exactly 1212 and the
// checksum must match. Anything else is refused as a whole and the record is left
// untouched.
// Promises: a loaded record goes through set_Record, so its ranged fields are
// clamped and its texts terminated like any other.
#pragma once
#include <cstddef>
#include <cstdint>

struct SettingsRecord {
    uint8_t reserved0[13];        //   0
    char userName[32];            //  13 user name / default author; byte 31 always 0
    uint8_t reserved1[3];         //  45
    uint32_t assocMask;           //  48 file-association bits (SET_ASSOC_*)
    uint8_t undoMB;               //  52 undo budget in MB, 1..64
    uint8_t reserved2;            //  53
    uint8_t kv5Compression;       //  54 0..3
    uint8_t kv5Password;          //  55
    uint8_t autoScroll;           //  56
    uint8_t lockUninstall;        //  57
    uint8_t smoothZoom;           //  58
    uint8_t autosave;             //  59
    uint8_t wasMaximised;         //  60
    uint8_t spritesInRecent;      //  61
    uint8_t idleTranslucent;      //  62
    uint8_t newImageTransparent;  //  63
    uint8_t currentTool;          //  64
    uint8_t previousTool;         //  65
    uint8_t toolLevel;            //  66 percent
    uint8_t toolWidth;            //  67 pixels
    uint8_t alpha1;               //  68
    uint8_t alpha2;               //  69
    uint8_t autoDetectAlpha;      //  70
    uint8_t authorTag;            //  71
    uint8_t previewSprite;        //  72
    uint8_t tutorialCount;        //  73 counts up to 255
    uint8_t reserved3[2];         //  74
    uint32_t colour1;             //  76 COLORREF 0x00BBGGRR
    uint32_t colour2;             //  80
    uint32_t userColours[16];     //  84 palette #01..#16
    char textFont[32];            // 148 text-art font face
    uint8_t textSize;             // 180 points
    uint8_t textFlags;            // 181 1 bold 2 italic 4 underline 8 strikeout 16 centre 32 gradient 64 right
    uint8_t textStyle;            // 182 0..14
    uint8_t textBorder;           // 183 0..16
    uint8_t textLevel;            // 184 10..90
    uint8_t textAntialias;        // 185
    uint8_t reserved4[2];         // 186
    char recent[4][256];          // 188 recent files, most recent first; byte 255 always 0
};

const size_t SET_RECORD_SIZE = 1212;
const size_t SET_HEADER_SIZE = 144;
const size_t SET_FILE_SIZE = SET_HEADER_SIZE + SET_RECORD_SIZE;
// Largest header a reader accepts (later versions may grow it; a foreign file may
// claim anything).
const size_t SET_MAX_HEADER = 4096;
const char SET_FILE_NAME[] = "Kelvara.kvr";
const int SET_RECENT_COUNT = 4;

static_assert(sizeof(SettingsRecord) == SET_RECORD_SIZE, "settings record size");
static_assert(offsetof(SettingsRecord, userName) == 13, "user name");
static_assert(offsetof(SettingsRecord, reserved1) == 45, "reserved 45");
static_assert(offsetof(SettingsRecord, assocMask) == 48, "association mask");
static_assert(offsetof(SettingsRecord, undoMB) == 52, "undo size");
static_assert(offsetof(SettingsRecord, kv5Compression) == 54, "compression");
static_assert(offsetof(SettingsRecord, autoScroll) == 56, "auto-scroll");
static_assert(offsetof(SettingsRecord, autosave) == 59, "auto-save");
static_assert(offsetof(SettingsRecord, spritesInRecent) == 61, "sprites in recent");
static_assert(offsetof(SettingsRecord, currentTool) == 64, "current tool");
static_assert(offsetof(SettingsRecord, alpha2) == 69, "alpha 2");
static_assert(offsetof(SettingsRecord, tutorialCount) == 73, "tutorial counter");
static_assert(offsetof(SettingsRecord, reserved3) == 74, "reserved 74");
static_assert(offsetof(SettingsRecord, colour1) == 76, "colour 1");
static_assert(offsetof(SettingsRecord, colour2) == 80, "colour 2");
static_assert(offsetof(SettingsRecord, userColours) == 84, "user colours");
static_assert(offsetof(SettingsRecord, textFont) == 148, "font face");
static_assert(offsetof(SettingsRecord, textSize) == 180, "font size");
static_assert(offsetof(SettingsRecord, textAntialias) == 185, "antialiasing");
static_assert(offsetof(SettingsRecord, reserved4) == 186, "reserved 186");
static_assert(offsetof(SettingsRecord, recent) == 188, "recent files");

// File-association mask bits.
const uint32_t SET_ASSOC_KV5 = 1;
const uint32_t SET_ASSOC_BMP = 2;   // .bmp .dib .rle
const uint32_t SET_ASSOC_TGA = 4;
const uint32_t SET_ASSOC_PCX = 8;
const uint32_t SET_ASSOC_PPM = 16;  // .ppm .pgm .pbm
const uint32_t SET_ASSOC_ICL = 32;

// Ranges the setters keep (other byte fields take any value; a flag is on when not 0).
const int SET_UNDO_MB_MIN = 1, SET_UNDO_MB_MAX = 64;
const int SET_KV5_LEVEL_MAX = 3;
const int SET_TOOL_WIDTH_MIN = 1, SET_TOOL_WIDTH_MAX = 128;
const int SET_TOOL_LEVEL_MAX = 100;
const int SET_TEXT_STYLE_MAX = 14, SET_TEXT_BORDER_MAX = 16;
const int SET_TEXT_LEVEL_MIN = 10, SET_TEXT_LEVEL_MAX = 90;
const uint32_t SET_COLOUR_MASK = 0x00FFFFFFu;

// The record, read-only: write through the setters. Until it is loaded or reset it
// holds the defaults with no user name and no recent files.
extern const SettingsRecord& g_settings;

// Colour #1 (number 1) or #2 (number 2); both at once for swapping. Colour
// changes tell ui_ViewChanged(UI_VIEW_COLOURS).
void set_Colour(int number, uint32_t colour);
void set_Colours(uint32_t colour1, uint32_t colour2);
// Palette entry #01..#16 as index 0..15 (others are ignored); tells UI_VIEW_COLOURS.
void set_UserColour(int index, uint32_t colour);

// The tool-settings values: width 1..128, level 0..100, alphas 0..255.
enum SetToolValue { SET_TOOL_WIDTH, SET_TOOL_LEVEL, SET_TOOL_ALPHA1, SET_TOOL_ALPHA2 };
void set_ToolValue(SetToolValue which, int value);
// Current and previous tool (0..255; which numbers are tools is the document's rule).
void set_Tools(int current, int previous);

// The Text-Art values: size 0..255 points, flags byte, style 0..14, border 0..16,
// level 10..90, antialiasing 0..255; a font face of more than 31 bytes is kept out
// (the field keeps its face).
enum SetTextValue { SET_TEXT_SIZE, SET_TEXT_FLAGS, SET_TEXT_STYLE, SET_TEXT_BORDER, SET_TEXT_LEVEL, SET_TEXT_ANTIALIAS };
void set_TextValue(SetTextValue which, int value);
void set_TextFont(const char* face);

// The recent-file list as a whole (the caller applies its ordering rule to a copy).
void set_Recent(const char recent[SET_RECENT_COUNT][256]);
void set_AssocMask(uint32_t mask);
void set_UndoMB(int mb);
// The tutorial counter, 0..255.
void set_TutorialCount(int count);
void set_WasMaximised(int maximised);
// Every field at once (the Options dialog's OK; load and reset), clamped like the
// single setters; tells UI_VIEW_COLOURS.
void set_Record(const SettingsRecord* record);

// Reads <program folder>\Kelvara.kvr into the record; 1 when the file is valid.
// On 0 the record is unchanged; the caller resets it.
int LoadSettings();
// Writes header and record to a temporary file, flushes it to disk and only then puts
// it in place of the settings file (platform/safewrite.h); 0 when anything failed,
// and then the file there is the one before.
int SaveSettings();
// keepUserInfo 0: zero everything, user name from the system, recent files = the
// sample images found along the search path. 1: every field gets its default except
// the reserved bytes, the user name, "sprites in recent" and the recent files.
int ResetSettings(int keepUserInfo);
// Start-up: zero the record, load the file, reset fully when that fails. Returns
// what LoadSettings returned.
int LoadOrResetSettings();

// Memory-to-memory halves of load and save (the file calls are thin shells).
uint32_t set_Checksum(const SettingsRecord* record);
// Validates a file image; on 1 `out` holds its record. `out` is untouched on 0.
int set_Decode(const uint8_t* data, size_t size, SettingsRecord* out);
// Writes the 144-byte header and the record: SET_FILE_SIZE bytes.
void set_Encode(const SettingsRecord* record, uint8_t* out);
