// setup_rules.cpp — see setup_rules.h.
#include "installer/setup_rules.h"
#include <cstdio>
#include <cstring>
#include "installer/setup_ids.h"
#include "platform/utf8.h"

namespace {

const char VENDOR_FOLDER[] = "\\Orvik Lab\\Kelvara\\";
// Room for the rounding of the scaled minor number in both comparisons.
const double VERSION_SLACK = 0.00005;
const double OLD_VERSION = 1.4;
const double THIS_VERSION = 1.8;

int is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

int put(char* out, size_t cap, int n) {
    if (n < 0 || (size_t)n >= cap) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

}  // namespace

const SetupPayloadRow kSetupPayload[] = {
    {IDR_PAY_PROGRAM, "Kelvara.exe", "Installing 'Kelvara.exe'...", 0},
    {IDR_PAY_HELP, "Kelvara.chm", "Installing 'Kelvara.chm'...", 1},
    {IDR_PAY_README, "ReadMe.txt", "Installing 'ReadMe.txt'...", 1},
    {IDR_PAY_JPEG, "Plugins\\JPEG filter.dll", "Installing plugin - 'JPEG Filter.dll'...", 0},
    {IDR_PAY_PNG, "Plugins\\PNG filter.dll", "Installing plugin - 'PNG Filter.dll'...", 0},
    {IDR_PAY_IMAGING, "Plugins\\Imaging filter.dll", "Installing plugin - 'Imaging Filter.dll'...", 0},
    {IDR_PAY_KV5CODEC, "kv5codec.dll", "Installing 'kv5codec.dll'...", 0},
    {IDR_PAY_CANDLE, "Images\\candle.kv5", "Copying sample \"candle.kv5\"...", 0},
    {IDR_PAY_WATERS, "Images\\o'er the waters.kv5", "Copying sample \"o'er the waters.kv5\"", 0},
    {IDR_PAY_TREES, "Images\\dark trees.kv5", "Copying sample \"dark trees.kv5\"...", 0},
    {IDR_PAY_SUNSET, "Images\\sunset.kv5", "Copying sample \"sunset.kv5\"...", 0},
    {IDR_PAY_STAR, "Sprites\\star_sprite.kv5", "Copying sprite \"star_sprite.kv5\"...", 0},
    {IDR_PAY_FLAME, "Sprites\\flame_sprite.kv5", "Copying sprite \"flame_sprite.kv5\"...", 0},
    {IDR_PAY_MOON, "Sprites\\moon_sprite.kv5", "Copying sprite \"moon_sprite.kv5\"...", 0},
    {IDR_PAY_JEWEL, "Sprites\\jewel_sprite.kv5", "Copying sprite \"jewel_sprite.kv5\"...", 0},
    {IDR_PAY_F117A, "Sprites\\F117A_sprite.kv5", "Copying sprite \"F117A_sprite.kv5\"...", 0},
};
const int SETUP_PAYLOAD_ROWS = (int)(sizeof kSetupPayload / sizeof kSetupPayload[0]);

int setup_DefaultFolder(const char* windowsDir, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    const int drive = setup_HasDrive(windowsDir);
    return put(out, cap, std::snprintf(out, cap, "%c:\\Program Files", drive ? windowsDir[0] : 'C'));
}

int setup_InstallFolder(const char* typed, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    if (!typed) typed = "";
    size_t n = u8_CharsHead(typed, std::strlen(typed), SETUP_FOLDER_CHARS);
    while (n > 0 && typed[n - 1] == '\\') n--;
    return put(out, cap, std::snprintf(out, cap, "%.*s%s", (int)n, typed, VENDOR_FOLDER));
}

double setup_VersionNumber(unsigned major, unsigned minor) {
    double fraction = minor;
    while (fraction >= 1) fraction *= 0.1;
    return major + fraction;
}

SetupPrevious setup_ClassifyPrevious(int readable, unsigned major, unsigned minor) {
    if (!readable) return SETUP_PREV_OLD;
    const double v = setup_VersionNumber(major, minor);
    if (v <= OLD_VERSION + VERSION_SLACK) return SETUP_PREV_OLD;
    if (v > THIS_VERSION + VERSION_SLACK) return SETUP_PREV_NEWER;
    return SETUP_PREV_REPLACE;
}

int setup_HasDrive(const char* folder) {
    return folder && is_letter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
}

int setup_EnoughSpace(uint64_t freeBytes) { return freeBytes >= SETUP_MIN_FREE_BYTES; }
