// The core measurements of the tool, printed as rows of one table:
//   nolt_bench [Google Benchmark flags]
// NOLT_BENCH_QUERIES and NOLT_BENCH_IDLE_SECONDS shorten a run while
// developing (defaults 10000 and 10).
#include "bench_support.h"

int main(int argc, char** argv)
{
    using namespace nolt::bench;
    runReceivePath(argc, argv);
    bool ok = runLinkLatency(settingFromEnvironment("NOLT_BENCH_QUERIES", 10000));
    ok = runIdleCpu(settingFromEnvironment("NOLT_BENCH_IDLE_SECONDS", 10)) && ok;
    return ok ? 0 : 1;
}
