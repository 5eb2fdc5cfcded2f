// exguard.h — runs a call so that a processor exception raised inside it (access
// violation, division by zero, illegal instruction...) ends the call instead of the
// program: the exception record is copied to the caught-exception record
// (exreport.h) and control comes back to the caller, which reports it and goes on.
//
// Windows: the guard is a real exception frame around the call, so handlers inside
// the call (the system's own, or code that guards itself) see their exceptions
// first, exceptions outside any guarded call are never touched, and guards nest.
// C++ exceptions and informational codes pass through untouched. Frames between
// the fault and the guard are abandoned without running their destructors, as with
// a structured exception handler. The native build has no such frames: the call
// simply runs.
#pragma once

typedef void (*ExgFunction)(void* arg);

// 1 when fn returned normally; 0 when an exception was caught (see exr_Caught()).
int exg_Call(ExgFunction fn, void* arg);
