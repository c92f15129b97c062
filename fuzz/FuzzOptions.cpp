// Sanitizer settings for every fuzz target, which apply only while fuzzing.
// A quarantine of 16 MB (the default is 256 MB) still catches a use of memory
// just freed, and keeps the targets' peak memory and page faults down.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:malloc_context_size=10:detect_leaks=1";
}
