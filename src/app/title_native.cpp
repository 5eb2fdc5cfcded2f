// title_native.cpp — no window to put the title on natively.
#include "app/title.h"

void ttl_Show(const char*) {}
