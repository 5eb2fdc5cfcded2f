// registry_win32.cpp — file-type associations, the settings file type and the
// program-path key.
#include "settings/registry_win32.h"
#include <cstdio>
#include <cstring>
#include "platform/paths.h"

namespace {

const char CLASS_PREFIX[] = "Kelvara";
const char OLD_VALUE[] = "_old";
const char SETTINGS_EXT[] = ".kvr";
const char SETTINGS_CLASS[] = "Kelvara.kvr";
const char APP_PATH_KEY[] = "Kelvara.AppPath";
// Values are compared over this many bytes; a longer one counts as different.
const DWORD VALUE_CAP = 512;
// The registry nests keys at most this deep.
const int MAX_DEPTH = 512;

enum PutResult { PUT_FAILED = -1, PUT_EQUAL = 0, PUT_WROTE = 1 };

// Reads a string value (null/"" = default). 1 when it exists, is a string and fits.
int ReadString(HKEY root, const char* key, const char* name, char* out, DWORD cap) {
    out[0] = 0;
    HKEY hk;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &hk) != ERROR_SUCCESS) return 0;
    DWORD type = 0, size = cap - 1;
    LONG r = RegQueryValueExA(hk, name, nullptr, &type, (BYTE*)out, &size);
    RegCloseKey(hk);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size >= cap) {
        out[0] = 0;
        return 0;
    }
    out[size] = 0;  // a stored string need not end in NUL
    return 1;
}

int ValueExists(HKEY root, const char* key, const char* name) {
    HKEY hk;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &hk) != ERROR_SUCCESS) return 0;
    LONG r = RegQueryValueExA(hk, name, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(hk);
    return r == ERROR_SUCCESS;
}

int DeleteValue(HKEY root, const char* key, const char* name) {
    HKEY hk;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &hk) != ERROR_SUCCESS) return 0;
    LONG r = RegDeleteValueA(hk, name);
    RegCloseKey(hk);
    return r == ERROR_SUCCESS;
}

PutResult PutString(HKEY root, const char* key, const char* name, const char* text) {
    HKEY hk;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &hk,
                        nullptr) != ERROR_SUCCESS)
        return PUT_FAILED;
    char current[VALUE_CAP + 1];
    DWORD type = 0, size = VALUE_CAP;
    if (RegQueryValueExA(hk, name, nullptr, &type, (BYTE*)current, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size <= VALUE_CAP) {
        current[size] = 0;
        if (std::strcmp(current, text) == 0) {
            RegCloseKey(hk);
            return PUT_EQUAL;
        }
    }
    LONG r = RegSetValueExA(hk, name, 0, REG_SZ, (const BYTE*)text, (DWORD)std::strlen(text) + 1);
    RegCloseKey(hk);
    return r == ERROR_SUCCESS ? PUT_WROTE : PUT_FAILED;
}

int DeleteTree(HKEY parent, const char* name, int depth) {
    if (depth > MAX_DEPTH) return 0;
    HKEY hk;
    LONG r = RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &hk);
    if (r == ERROR_FILE_NOT_FOUND) return 1;
    if (r != ERROR_SUCCESS) return 0;
    int ok = 1;
    for (;;) {
        char sub[256];  // key names have at most 255 characters
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(hk, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        // A subkey that will not go would come back first forever: stop instead.
        if (!DeleteTree(hk, sub, depth + 1)) {
            ok = 0;
            break;
        }
    }
    RegCloseKey(hk);
    if (!ok) return 0;
    r = RegDeleteKeyA(parent, name);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

// ".BMP" -> ".bmp" and "Kelvara.bmp". 0 for anything that is not one plain key name.
int ClassNames(const char* ext, char* lower, char* cls) {
    if (!ext || ext[0] != '.') return 0;
    size_t n = std::strlen(ext);
    if (n < 2 || n > 31) return 0;
    for (size_t i = 0; i <= n; i++) {
        char c = ext[i];
        if (c == '\\') return 0;  // would name a nested key
        lower[i] = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
    }
    std::strcpy(cls, CLASS_PREFIX);
    std::strcat(cls, lower);
    return 1;
}

int IconText(char* out, size_t cap, int iconNumber) {
    const char* program = path_ProgramFile();
    if (!program[0]) return 0;
    int n = std::snprintf(out, cap, "%s ,-%i", program, iconNumber);
    return n > 0 && (size_t)n < cap;
}

int Ok(PutResult r) { return r != PUT_FAILED; }

}  // namespace

int SetRegistryString(HKEY root, const char* key, const char* valueName, const char* text) {
    if (!key || !text) return 0;
    return PutString(root, key, valueName, text) == PUT_WROTE;
}

int DeleteRegistryTree(HKEY root, const char* key) {
    if (!key || !*key) return 0;  // "" would be the root itself
    return DeleteTree(root, key, 0);
}

int AssociateExtension(const char* ext, const char* description, int iconNumber) {
    char lower[32], cls[48];
    if (!ClassNames(ext, lower, cls) || !description) return 0;
    const char* program = path_ProgramFile();
    if (!program[0]) return 0;  // commands without a program would be broken
    char open[KV_MAX_PATH + 16], print[KV_MAX_PATH + 32], icon[KV_MAX_PATH + 16];
    std::snprintf(open, sizeof open, "\"%s\" \"%%1\"", program);
    std::snprintf(print, sizeof print, "%s /print /nogui", open);
    if (!IconText(icon, sizeof icon, iconNumber)) return 0;

    HKEY root = HKEY_CLASSES_ROOT;
    char previous[VALUE_CAP + 1];
    // Our own class name is never kept as "previous": unassociating would then hand
    // the extension back to a class that no longer exists.
    if (ReadString(root, lower, nullptr, previous, sizeof previous) && previous[0] &&
        std::strcmp(previous, cls) != 0 && !ValueExists(root, lower, OLD_VALUE))
        PutString(root, lower, OLD_VALUE, previous);

    char key[sizeof cls + 32];
    int ok = Ok(PutString(root, lower, nullptr, cls));
    ok &= Ok(PutString(root, cls, nullptr, description));
    std::snprintf(key, sizeof key, "%s\\shell\\open\\command", cls);
    ok &= Ok(PutString(root, key, nullptr, open));
    std::snprintf(key, sizeof key, "%s\\shell\\print\\command", cls);
    ok &= Ok(PutString(root, key, nullptr, print));
    std::snprintf(key, sizeof key, "%s\\DefaultIcon", cls);
    ok &= Ok(PutString(root, key, nullptr, icon));
    return ok;
}

int UnassociateExtension(const char* ext) {
    char lower[32], cls[48];
    if (!ClassNames(ext, lower, cls)) return 0;
    HKEY root = HKEY_CLASSES_ROOT;
    int ok = DeleteRegistryTree(root, cls);
    char previous[VALUE_CAP + 1], current[VALUE_CAP + 1];
    if (ReadString(root, lower, OLD_VALUE, previous, sizeof previous)) {
        ok &= Ok(PutString(root, lower, nullptr, previous));
        ok &= DeleteValue(root, lower, OLD_VALUE);
    } else if (ReadString(root, lower, nullptr, current, sizeof current) &&
               std::strcmp(current, cls) == 0) {
        // Nobody owned it before us: leave no pointer to the class just deleted.
        ok &= DeleteValue(root, lower, nullptr);
    }
    return ok;
}

int RegisterSettingsFileType(int iconNumber) {
    char icon[KV_MAX_PATH + 16], key[64];
    if (!IconText(icon, sizeof icon, iconNumber)) return 0;
    HKEY root = HKEY_CLASSES_ROOT;
    int ok = Ok(PutString(root, SETTINGS_EXT, nullptr, SETTINGS_CLASS));
    ok &= Ok(PutString(root, SETTINGS_EXT, "NoOpen", " "));
    ok &= Ok(PutString(root, SETTINGS_EXT, "PerceivedType", "system"));
    ok &= Ok(PutString(root, SETTINGS_CLASS, nullptr, "Data File"));
    std::snprintf(key, sizeof key, "%s\\DefaultIcon", SETTINGS_CLASS);
    ok &= Ok(PutString(root, key, nullptr, icon));
    return ok;
}

int UnregisterSettingsFileType() {
    int ok = DeleteRegistryTree(HKEY_CLASSES_ROOT, SETTINGS_EXT);
    ok &= DeleteRegistryTree(HKEY_CLASSES_ROOT, SETTINGS_CLASS);
    return ok;
}

int SetProgramPathKey(const char* path) {
    if (!path) return 0;
    return Ok(PutString(HKEY_CLASSES_ROOT, APP_PATH_KEY, nullptr, path));
}

int DeleteProgramPathKey() { return DeleteRegistryTree(HKEY_CLASSES_ROOT, APP_PATH_KEY); }

int ReadProgramPathKey(char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    return ReadString(HKEY_CLASSES_ROOT, APP_PATH_KEY, nullptr, out, cap > VALUE_CAP ? VALUE_CAP : (DWORD)cap);
}
