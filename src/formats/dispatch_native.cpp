// dispatch_native.cpp — no system loaders outside Windows: those rows of the load
// table fall through to the probing chain's own readers.
#include "formats/dispatch_table.h"

ImgLoader img_PlatformLoader(int) { return nullptr; }
