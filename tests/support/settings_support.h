// settings_support.h — tests change the settings record the way the Options dialog
// does: a copy is edited and stored whole through set_Record (so it is clamped like
// any other record).
#pragma once
#include <cstring>
#include "settings/settings.h"

// Puts the record back as it was when the scope ends, also when an assertion ends a
// test early, so the tests after it start from the same record.
struct KeptSettings {
    SettingsRecord saved = g_settings;
    ~KeptSettings() { set_Record(&saved); }
};

// Edits a copy of the record (zeroed first when `fromZero`) and stores it.
template <class Edit>
void EditSettings(Edit edit, bool fromZero = false) {
    SettingsRecord r = g_settings;
    if (fromZero) std::memset(&r, 0, sizeof r);
    edit(r);
    set_Record(&r);
}
