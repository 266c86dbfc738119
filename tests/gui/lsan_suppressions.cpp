// Fontconfig keeps its caches for the life of the process and never frees
// them, nor does libdbus the buffers of the bus connection that Qt opens on
// a real X display; the leak checker of sanitizer builds is told to ignore
// those libraries.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
