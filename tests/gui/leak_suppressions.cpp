// LeakSanitizer: fontconfig keeps its parsed configuration for the life of the process (allocated
// once, when the first text is laid out); that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
