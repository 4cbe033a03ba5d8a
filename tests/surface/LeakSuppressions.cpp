// Under LeakSanitizer: fontconfig keeps its configuration until the process
// ends (Qt never calls FcFini), which is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
