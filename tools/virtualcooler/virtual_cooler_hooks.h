// Entry points of the virtual cooler beyond hidapi's, for tests that link it.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Reads VIRTUAL_COOLER and VIRTUAL_COOLER_LOG again, forgets the last control file text, the
// pending answers and the counters. Devices opened before stay open.
void virtual_cooler_reset_for_tests(void);

// A counter by name, -1 for an unknown name: "open_handles" (open now), "opens", "closes",
// "feature_writes" and "feature_reads" (successful ones), "init_calls", "enumerations".
long virtual_cooler_stat(const char* name);

#ifdef __cplusplus
}
#endif
