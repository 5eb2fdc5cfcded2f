// refusal.cpp — the per-thread reason slot of refusal.h.
#include "platform/refusal.h"

static thread_local const char* t_reason = "";

int refuse_With(const char* reason) {
    t_reason = reason ? reason : "";
    return 0;
}

const char* refuse_Reason() { return t_reason; }

void refuse_Clear() { t_reason = ""; }
