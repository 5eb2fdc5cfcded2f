// codecreg_win32.cpp — the .kv5 decoder's registry entries (codecreg_win32.h).
#include "settings/codecreg_win32.h"

#include <cstring>
#include <string>
#include "settings/registry_win32.h"

const char CREG_DECODER_NAME[] = "Kelvara KV5 Decoder";
const char CREG_DECODER_KEY[] = "CLSID\\{3E6BCF9A-512E-4418-82A0-8B3B0F71CF10}";
const char CREG_INSTANCE_KEY[] =
    "CLSID\\{7ED96837-96F0-4812-B211-F13C24117ED3}\\Instance\\{3E6BCF9A-512E-4418-82A0-8B3B0F71CF10}";
const char CREG_THUMBNAIL_KEY[] = "CLSID\\{786B2873-12BA-4AD9-BBC0-33B162FA2226}";
const char CREG_SHELLEX_KEY[] = ".kv5\\ShellEx\\{E357FCCD-A995-4576-B01F-234630154E96}";

namespace {

const char DECODER_CLSID[] = "{3E6BCF9A-512E-4418-82A0-8B3B0F71CF10}";
const BYTE SIGNATURE[8] = {'_', 'K', 'V', '5', '4', 0, 0, 0};  // "_KV5" and a header size of 52

struct TextValue {
    const char* subkey;  // below the decoder's key; "" for the key itself
    const char* name;    // null: the default value
    const char* text;
};

const TextValue TEXTS[] = {
    {"", "FriendlyName", CREG_DECODER_NAME},
    {"", "Author", "Orvik Lab"},
    {"", "Description", "Kelvara images (.kv5) for every program that reads pictures through the system"},
    {"", "Vendor", "{E112C016-8094-4E6F-88E5-3F558B4492B5}"},
    {"", "ContainerFormat", "{0401707E-ACD6-4040-BEEA-46200C45CF69}"},
    {"", "Version", "1.80.0.0"},
    {"", "MimeTypes", "image/x-kelvara-kv5"},
    {"", "FileExtensions", ".kv5"},
    {"\\InprocServer32", "ThreadingModel", "Both"},
    {"\\Formats\\{6FDDC324-4E03-4BFE-B185-3D77768DC90F}", nullptr, ""},  // 32bppBGRA
};

struct NumberValue {
    const char* subkey;
    const char* name;
    DWORD value;
};

const NumberValue NUMBERS[] = {
    {"", "SupportLossless", 1}, {"", "SupportAnimation", 0},   {"", "SupportChromakey", 0},
    {"", "SupportMultiframe", 0}, {"\\Patterns\\0", "Position", 0}, {"\\Patterns\\0", "Length", sizeof SIGNATURE},
    {"\\Patterns\\0", "EndOfStream", 0},
};

int SetValue(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return 0;
    const int ok = RegSetValueExA(h, name, 0, type, (const BYTE*)data, size) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

int Text(const char* key, const char* name, const char* text) {
    return SetValue(key, name, REG_SZ, text, (DWORD)std::strlen(text) + 1);
}

}  // namespace

int creg_RegisterKv5Codec(const char* dllPath) {
    const std::string decoder = CREG_DECODER_KEY;
    int ok = Text((decoder + "\\InprocServer32").c_str(), nullptr, dllPath);
    for (const TextValue& v : TEXTS) ok = Text((decoder + v.subkey).c_str(), v.name, v.text) && ok;
    for (const NumberValue& v : NUMBERS)
        ok = SetValue((decoder + v.subkey).c_str(), v.name, REG_DWORD, &v.value, sizeof v.value) && ok;
    const BYTE mask[sizeof SIGNATURE] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    ok = SetValue((decoder + "\\Patterns\\0").c_str(), "Pattern", REG_BINARY, SIGNATURE, sizeof SIGNATURE) && ok;
    ok = SetValue((decoder + "\\Patterns\\0").c_str(), "Mask", REG_BINARY, mask, sizeof mask) && ok;
    ok = Text(CREG_INSTANCE_KEY, "CLSID", DECODER_CLSID) && ok;
    ok = Text(CREG_INSTANCE_KEY, "FriendlyName", CREG_DECODER_NAME) && ok;
    const std::string thumbnail = CREG_THUMBNAIL_KEY;
    ok = Text(CREG_THUMBNAIL_KEY, nullptr, "Kelvara KV5 Thumbnail") && ok;
    ok = Text((thumbnail + "\\InprocServer32").c_str(), nullptr, dllPath) && ok;
    ok = Text((thumbnail + "\\InprocServer32").c_str(), "ThreadingModel", "Apartment") && ok;
    return Text(CREG_SHELLEX_KEY, nullptr, "{786B2873-12BA-4AD9-BBC0-33B162FA2226}") && ok;
}

int creg_UnregisterKv5Codec() {
    int ok = 1;
    for (const char* key : {CREG_INSTANCE_KEY, CREG_DECODER_KEY, CREG_THUMBNAIL_KEY, CREG_SHELLEX_KEY})
        ok = DeleteRegistryTree(HKEY_CLASSES_ROOT, key) && ok;
    return ok;
}
