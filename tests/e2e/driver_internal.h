// Helpers shared by the driver's files; not for tests.
#pragma once

#include "tests/e2e/driver.h"
#include "tests/e2e/probe.h"

// Stores a printf-style reason in app.error and returns false, so a failure
// site reads `return fail(app, "...", ...)`.
bool fail(App& app, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Milliseconds left of a time limit that started at `start` (GetTickCount);
// never negative.
int remainingMs(DWORD start, int timeoutMs);

// One WM_NULL round trip to the main window within the time limit.
bool roundTrip(App& app, int timeoutMs);

// Calls an exported probe function in the target with a request block that
// is copied in before and back out after the call. Returns the function's
// result through *result.
bool callProbe(App& app, const char* function, void* block, size_t size,
               DWORD* result, int timeoutMs);
// Reads the probe's marker counter from the target.
bool readMarkerSeen(App& app, int32_t* seen);
