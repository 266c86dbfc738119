// The tool's own start-up (the application object and its main dialog, as
// main() runs it) with a hook that ends the dialog the moment it is shown.
// Prints the wall-clock time of that moment (Unix nanoseconds, comparable
// with `date +%s%N` on the host under wine) and the process's peak working
// set, for scripts/bench.sh. Not a test.
#include <cstdio>

#include "app/nolt_pcclient_app.h"
#include "framework/dialog.h"
#include "framework/win32/windows_api.h"
#include "res/resource.h"

int main()
{
    bool shown = false;
    nolt::fw::setModalHook([&shown](nolt::fw::CDialogEx& dlg) {
        shown = true;
        FILETIME ft;
        GetSystemTimePreciseAsFileTime(&ft);
        const unsigned long long since1601 = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        const unsigned long long unixNanos = (since1601 - 116444736000000000ULL) * 100ULL;
        std::printf("shown %llu\n", unixNanos);
        dlg.EndDialog(nolt::res::IDCANCEL);
    });
    nolt::Cnolt_PCClientApp app;
    const int status = app.run();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    std::printf("peak %llu\n", static_cast<unsigned long long>(counters.PeakWorkingSetSize));
    if (!shown) std::fprintf(stderr, "the main dialog was never shown (no window could be made?)\n");
    return shown ? status : 1;
}
