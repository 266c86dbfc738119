// The receive path as the link thread runs it: reassembly of the bytes of
// each read into frames, verification, and the reply handling that turns a
// frame into effects. Measured with Google Benchmark for three read shapes.
#include "bench_support.h"
#include "link/frame_reader.h"
#include "link/replies.h"

#include <benchmark/benchmark.h>

#include <map>
#include <span>

namespace nolt::bench {
namespace {

constexpr std::size_t kFramesPerStream = 1024;

// A recorded-looking stream of every reply the module sends: status reports,
// version reports and the short setting results, in a fixed rotation.
Bytes replyStream()
{
    const std::uint8_t status[] = {0x19, 0x32, 0x07, 0x80, 0x04, 0x38, 0x05, 0x00, 0x02, 0xD0};
    const std::uint8_t version[] = {0x00, 0x00, 0x01, 0x02};
    const std::uint8_t one[] = {0x01};
    const std::uint8_t zero[] = {0x00};
    const std::vector<Bytes> rotation = {
        buildFrame(code::kStatus, status),     buildFrame(code::kVersion, version),
        buildFrame(code::kSubStream, {}),      buildFrame(code::kBandwidth, one),
        buildFrame(code::kDhcp, zero),         buildFrame(code::kStatus, status),
        buildFrame(code::kMainStream, {}),     buildFrame(code::kBandwidth, zero)};
    Bytes stream;
    for (std::size_t i = 0; i < kFramesPerStream; ++i) {
        const Bytes& f = rotation[i % rotation.size()];
        stream.insert(stream.end(), f.begin(), f.end());
    }
    return stream;
}

// How the link's reads cut the stream.
enum class ReadShape {
    WholeFrames,  // each read one whole frame
    SingleBytes,  // each read one byte
    FullReads,    // reads of the link's full read size (256 bytes): many
                  // frames per read, most reads ending inside one
};

std::vector<std::span<const std::uint8_t>> readsOf(const Bytes& stream, ReadShape shape)
{
    std::vector<std::span<const std::uint8_t>> reads;
    for (std::size_t at = 0; at < stream.size();) {
        std::size_t count = 1;
        if (shape == ReadShape::WholeFrames) count = kFrameOverhead + stream[at + 2];
        if (shape == ReadShape::FullReads) count = std::min(kReceiveBufferSize, stream.size() - at);
        reads.push_back(std::span(stream).subspan(at, count));
        at += count;
    }
    return reads;
}

// Feeds every read to a fresh reader and handles every item it completes,
// as the link thread does.
void receiveStream(benchmark::State& state, ReadShape shape)
{
    const Bytes stream = replyStream();
    const auto reads = readsOf(stream, shape);
    const auto now = FrameReader::Clock::now();
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReader reader;
        for (const auto& read : reads) {
            for (const ReceivedItem& item : reader.feed(read, now)) {
                if (item.kind != ReceivedItem::Kind::Frame) continue;
                auto effects = handleReply(item.frame);
                benchmark::DoNotOptimize(effects.data());
                ++frames;
            }
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
}

// Keeps each benchmark's rate instead of printing Google Benchmark's own
// report, so that the run ends in one table.
class RateCollector : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto found = run.counters.find("items_per_second");
            if (found != run.counters.end()) rates[run.run_name.function_name].push_back(found->second.value);
        }
    }
    // Every repetition's rate, by benchmark.
    std::map<std::string, std::vector<double>> rates;
};

}  // namespace

void runReceivePath(int& argc, char** argv)
{
    // Seven short repetitions and their median, so that a burst of other
    // work on a shared machine does not decide the figure.
    const std::pair<const char*, ReadShape> shapes[] = {
        {"whole", ReadShape::WholeFrames}, {"bytes", ReadShape::SingleBytes}, {"full", ReadShape::FullReads}};
    for (const auto& [name, shape] : shapes)
        benchmark::RegisterBenchmark(name, receiveStream, shape)->MinTime(0.3)->Repetitions(7);
    benchmark::Initialize(&argc, argv);
    RateCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    const auto row = [&](const char* name, const std::string& what, const std::string& goal) {
        const auto found = collector.rates.find(name);
        if (found == collector.rates.end()) return;
        printRow(what, format("%.2f M frames/s", percentile(found->second, 0.5) / 1e6), goal);
    };
    row("whole", "Receive path, one whole frame per read", ">= 5 M frames/s");
    row("bytes", "Receive path, frames split in 1-byte reads", "");
    row("full", "Receive path, 256-byte reads (many frames per read)", "");
}

}  // namespace nolt::bench
