// exguard_native.cpp — natively a processor fault is a signal that cannot be resumed
// safely, so the call runs unguarded.
#include "safety/exguard.h"

int exg_Call(ExgFunction fn, void* arg) {
    if (fn) fn(arg);
    return 1;
}
