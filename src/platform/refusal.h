// refusal.h — why the last reader or writer of outside data said no.
//
// Owns: one short reason text per thread (readers may run on worker threads).
// A reader or writer that returns 0 for bad input calls refuse_With("...") on the way
// out, so a test or the log can tell which check fired; refuse_Clear() at the start
// of a top-level load or save keeps an old reason from being mistaken for a new one.
// Reasons are static strings (never freed, never formatted), lower case, a few words.
#pragma once

// Records `reason` and returns 0, so a check reads `return refuse_With("bad depth");`.
int refuse_With(const char* reason);
// The last recorded reason, "" when none since the last refuse_Clear().
const char* refuse_Reason();
void refuse_Clear();
