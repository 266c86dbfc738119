// Fontconfig keeps its caches for the life of the process and never frees
// them; the leak checker of sanitizer builds is told to ignore that library.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
