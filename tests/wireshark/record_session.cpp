// Records exchanges with two simulated modules on 127.0.0.1 into one pcapng
// file through the tool's own recorder, from two threads at once, as the
// command-line client's batches do (FrameExchange on the one-thread engine):
//   normal  a status and a version query sent in one block; then 200 main
//           stream settings in one block of 2,200 bytes, more than one
//           segment holds, so that a frame straddles two segments, and
//           their 200 results; then a version query;
//   split   the same two queries, answered in pieces of 5 bytes.
// Usage: record_session FILE. Prints "ports NORMAL SPLIT" when done.

#include "capture/capture_file.h"
#include "commands/command_frames.h"
#include "link/frame_exchange.h"
#include "platform/socket_layer.h"
#include "platform/tcp_socket.h"
#include "sim/server.h"

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using nolt::Bytes;

constexpr int kSettingsFrames = 200;

// One request; done once `replies` frames have come (none: once it is sent).
class Exchange : public nolt::FrameExchange {
public:
    Exchange(std::uint16_t port, const Bytes& request, int replies, std::shared_ptr<nolt::capture::CaptureFile> file)
        : FrameExchange(*nolt::parseDottedAddress("127.0.0.1"), port, request, std::chrono::seconds(5)),
          replies_(replies)
    {
        recordTo(std::move(file));
        start();
    }
    bool ok = false;

private:
    void allSent() override
    {
        if (replies_ == 0) done();
    }
    void handle(const nolt::ReceivedItem&) override
    {
        if (--replies_ == 0) done();
    }
    void failed(Failure) override { finish(); }
    void done()
    {
        ok = true;
        finish();
    }
    int replies_;
};

void play(std::uint16_t port, std::vector<std::pair<Bytes, int>> requests,
          const std::shared_ptr<nolt::capture::CaptureFile>& file, bool& ok)
{
    ok = true;
    for (const auto& [request, replies] : requests) {
        nolt::ConnectionRun run;
        run.count = 1;
        run.start = [&](std::size_t) { return std::make_unique<Exchange>(port, request, replies, file); };
        run.finished = [&](std::size_t, nolt::PolledConnection& c) { ok = ok && static_cast<Exchange&>(c).ok; };
        nolt::runConnections(run);
    }
}

std::unique_ptr<nolt::sim::SimServer> startModule(const nolt::sim::Faults& faults)
{
    nolt::sim::ServerOptions options;
    options.port = 0;
    options.module.faults = faults;
    auto server = std::make_unique<nolt::sim::SimServer>(options);
    std::string error;
    if (!server->start(&error)) throw std::runtime_error("cannot start a module: " + error);
    return server;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc != 2) throw std::runtime_error("usage: record_session FILE");
        if (!nolt::initSocketLayer()) throw std::runtime_error("no socket layer");
        int error = 0;
        auto file = nolt::capture::CaptureFile::create(argv[1], "record_session", &error);
        if (!file) throw std::runtime_error("cannot create " + std::string(argv[1]));
        auto normal = startModule({});
        auto split = startModule({.splitBytes = 5, .splitPauseMs = 10});

        Bytes queries = nolt::statusQueryFrame();
        const Bytes version = nolt::versionQueryFrame();
        queries.insert(queries.end(), version.begin(), version.end());
        Bytes settings;
        for (int i = 0; i < kSettingsFrames; ++i) {
            // 4M, 1080P, RTSP, H264, 25 frame, By Slice, MP4.
            const Bytes frame = *nolt::mainStreamFrame({{4, 1, 1, 0, 0, 0}, 0});
            settings.insert(settings.end(), frame.begin(), frame.end());
        }
        bool normalOk = false, splitOk = false;
        std::thread a(play, normal->port(),
                      std::vector<std::pair<Bytes, int>>{{queries, 2}, {settings, kSettingsFrames}, {version, 1}},
                      std::cref(file), std::ref(normalOk));
        std::thread b(play, split->port(), std::vector<std::pair<Bytes, int>>{{queries, 2}}, std::cref(file),
                      std::ref(splitOk));
        a.join();
        b.join();
        if (!normalOk || !splitOk) throw std::runtime_error("an exchange did not complete");
        if (file->failed()) throw std::runtime_error("writing the file failed");
        std::cout << "ports " << normal->port() << " " << split->port() << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "record_session: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
