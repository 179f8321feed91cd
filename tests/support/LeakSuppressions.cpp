// Under LeakSanitizer: fontconfig keeps a few caches alive until exit once Qt has laid out
// text. They are the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
