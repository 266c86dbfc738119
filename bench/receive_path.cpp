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

// Where each frame of the stream ends, so that reads can follow frame edges.
std::vector<std::size_t> frameEnds(const Bytes& stream)
{
    std::vector<std::size_t> ends;
    for (std::size_t at = 0; at < stream.size(); at += kFrameOverhead + stream[at + 2]) ends.push_back(at + kFrameOverhead + stream[at + 2]);
    return ends;
}

// Feeds one read and handles every item it completes; returns the frames.
std::size_t receive(FrameReader& reader, std::span<const std::uint8_t> read, FrameReader::Clock::time_point now)
{
    std::size_t frames = 0;
    for (const ReceivedItem& item : reader.feed(read, now)) {
        if (item.kind != ReceivedItem::Kind::Frame) continue;
        auto effects = handleReply(item.frame);
        benchmark::DoNotOptimize(effects.data());
        ++frames;
    }
    return frames;
}

void wholeFrames(benchmark::State& state)
{
    const Bytes stream = replyStream();
    const std::vector<std::size_t> ends = frameEnds(stream);
    const auto now = FrameReader::Clock::now();
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReader reader;
        std::size_t begin = 0;
        for (std::size_t end : ends) {
            frames += receive(reader, std::span(stream).subspan(begin, end - begin), now);
            begin = end;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
}

void oneByteReads(benchmark::State& state)
{
    const Bytes stream = replyStream();
    const auto now = FrameReader::Clock::now();
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReader reader;
        for (std::size_t at = 0; at < stream.size(); ++at) frames += receive(reader, std::span(stream).subspan(at, 1), now);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
}

// Reads of the link's full read size (256 bytes), so that most reads carry
// many frames and most end inside one.
void fullReads(benchmark::State& state)
{
    const Bytes stream = replyStream();
    const auto now = FrameReader::Clock::now();
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReader reader;
        for (std::size_t at = 0; at < stream.size(); at += kReceiveBufferSize) {
            const std::size_t count = std::min(kReceiveBufferSize, stream.size() - at);
            frames += receive(reader, std::span(stream).subspan(at, count), now);
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
            if (run.error_occurred) continue;
            const auto found = run.counters.find("items_per_second");
            if (found != run.counters.end()) rates[run.run_name.function_name] = found->second.value;
        }
    }
    std::map<std::string, double> rates;
};

}  // namespace

void runReceivePath(int& argc, char** argv)
{
    benchmark::RegisterBenchmark("whole", wholeFrames)->MinTime(1.0);
    benchmark::RegisterBenchmark("bytes", oneByteReads)->MinTime(1.0);
    benchmark::RegisterBenchmark("full", fullReads)->MinTime(1.0);
    benchmark::Initialize(&argc, argv);
    RateCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    const auto row = [&](const char* name, const std::string& what, const std::string& goal) {
        const auto found = collector.rates.find(name);
        if (found == collector.rates.end()) return;
        printRow(what, format("%.2f M frames/s", found->second / 1e6), goal);
    };
    row("whole", "Receive path, one whole frame per read", ">= 5 M frames/s");
    row("bytes", "Receive path, frames split in 1-byte reads", "");
    row("full", "Receive path, 256-byte reads (many frames per read)", "");
}

}  // namespace nolt::bench
