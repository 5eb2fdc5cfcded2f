// plugin_filter.cpp — filter plug-ins as the file layer sees them; with no plug-in
// mechanism in the program yet, none recognises any file.
#include "formats/plugin_filter.h"

int plugin_FilterLoad(Surface*, const char*, ImageFileInfo*) { return 0; }

int plugin_FilterSave(Surface*, const char*) { return 0; }
