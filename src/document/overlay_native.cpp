// overlay_native.cpp — the native build has no view window: clearing the overlay
// only empties the record.
#include <cstring>
#include "document/overlay.h"
#include "document/toolkernel.h"

int tk_ClearOverlay() {
    std::memset(ovl_Record(), 0, sizeof(ViewOverlay));
    return 1;
}
