// plugin_filter_native.cpp — the native build loads no DLLs: no plug-in ever
// recognises a file, which the dispatchers report as an unknown file type.
#include "formats/plugin_filter.h"
#include "platform/refusal.h"

int plugin_FilterLoad(Surface*, const char*, ImageFileInfo*) { return refuse_With("no filter plug-ins here"); }

int plugin_FilterSave(Surface*, const char*) { return refuse_With("no filter plug-ins here"); }
