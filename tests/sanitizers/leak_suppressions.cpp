// Linked into every test under the sanitizers: caches that fontconfig keeps
// for the life of the process (Qt's font database fills them) are not ours
// to free, and would hide a leak of our own.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
