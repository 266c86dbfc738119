// Plays one session of the tool's commands against four simulated modules
// on 127.0.0.1, for a capture that the dissector test then reads:
//   normal    every command, a command with a bad checksum, and the
//             push-address request, upload and request again;
//   coalesce  replies to one read in one write: a status query answered
//             three times, and a version query and a DHCP switch sent in one
//             segment;
//   split     replies coalesced and written in pieces of 5 bytes, so that
//             pieces end inside frames and one piece ends one frame and
//             starts the next;
//   info      speaks first, with an unsolicited information storage result.
// It prints "ports NORMAL COALESCE SPLIT INFO", waits for a line on stdin (the
// capture is running), plays the session and prints "done". Every reply is
// awaited whole before the next command goes, so the capture is the same on
// every run.

#include "commands/command_frames.h"
#include "platform/socket_layer.h"
#include "platform/tcp_socket.h"
#include "platform/wake_signal.h"
#include "sim/server.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace {

using nolt::Bytes;

Bytes textBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes joined(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Client {
public:
    explicit Client(std::uint16_t port)
    {
        auto s = nolt::TcpSocket::create();
        const auto address = nolt::parseDottedAddress("127.0.0.1");
        if (!s || !address || s->connect(*address, port, &wake_, 5000) != nolt::TcpSocket::ConnectOutcome::Connected)
            throw std::runtime_error("cannot connect to port " + std::to_string(port));
        socket_ = std::move(*s);
    }

    // Sends the bytes in one send and waits for exactly `reply` bytes back.
    void exchange(const Bytes& bytes, std::size_t reply)
    {
        if (socket_.send(bytes) != static_cast<long>(bytes.size())) throw std::runtime_error("send failed");
        await(reply);
    }

    void await(std::size_t reply)
    {
        std::size_t got = 0;
        std::uint8_t buffer[512];
        while (got < reply) {
            if (socket_.waitReadable(wake_, 5000) != nolt::TcpSocket::WaitOutcome::Readable)
                throw std::runtime_error("no reply after " + std::to_string(got) + " bytes");
            const long n = socket_.receive(std::span(buffer, std::min(sizeof buffer, reply - got)));
            if (n <= 0) throw std::runtime_error("the module closed the connection");
            got += static_cast<std::size_t>(n);
        }
    }

private:
    nolt::WakeSignal wake_;
    nolt::TcpSocket socket_;
};

std::unique_ptr<nolt::sim::SimServer> startModule(const nolt::sim::Faults& faults,
                                                  nolt::sim::ModuleState initial = {})
{
    nolt::sim::ServerOptions options;
    options.port = 0;
    options.module.faults = faults;
    options.module.initial = std::move(initial);
    auto server = std::make_unique<nolt::sim::SimServer>(options);
    std::string error;
    if (!server->start(&error)) throw std::runtime_error("cannot start a module: " + error);
    return server;
}

void normalSession(std::uint16_t port)
{
    using namespace nolt;
    Client c(port);
    c.exchange(statusQueryFrame(), 14);
    c.exchange(versionQueryFrame(), 8);
    // 4M, 1080P, RTSP, H264, 25 frame, By Slice, MP4.
    c.exchange(*mainStreamFrame({{4, 1, 1, 0, 0, 0}, 0}), 11);
    // 8M, 1920*1080, "RTMP  to network", H265, 30 frame, By Frame.
    c.exchange(*subStreamFrame({8, 1, 1, 1, 1, 1}), 10);
    c.exchange(ipSettingsFrame({UdpTarget{{127, 0, 0, 9}, 23003}, {127, 0, 0, 2}, {127, 0, 0, 1}, {0, 0, 0, 0},
                                {255, 0, 0, 0}}),
               26);
    c.exchange(ipSettingsFrame({std::nullopt, {127, 0, 0, 3}, {127, 0, 0, 1}, {127, 0, 0, 53}, {255, 255, 0, 0}}),
               26);
    c.exchange(bandwidthFrame(Bandwidth::Mbit10), 5);
    c.exchange(dhcpFrame(true), 5);
    // A status query whose checksum is off by one: the module refuses it
    // with a reply whose checksum is wrong too.
    Bytes damaged = statusQueryFrame();
    damaged.back() = static_cast<std::uint8_t>(damaged.back() + 1);
    c.exchange(damaged, 5);
    const std::string first = "rtmp://127.0.0.1/live/stream";
    const std::string second = "rtmp://127.0.0.1/live/cam2";
    c.exchange(textBytes("get_addrrtmp"), first.size());
    c.exchange(textBytes(second), 0);
    // The upload has no reply; the module must read it on its own before
    // the next request, or it takes both for one address.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    c.exchange(textBytes("get_addrrtmp"), second.size());
    c.exchange(subStreamOffFrame(), 10);
}

void coalesceSession(std::uint16_t port)
{
    using namespace nolt;
    Client c(port);
    c.exchange(statusQueryFrame(), 3 * 14);
    c.exchange(joined(versionQueryFrame(), dhcpFrame(false)), 8 + 5);
}

void splitSession(std::uint16_t port)
{
    using namespace nolt;
    Client c(port);
    c.exchange(versionQueryFrame(), 2 * 8);
    c.exchange(statusQueryFrame(), 2 * 14);
}

void infoSession(std::uint16_t port)
{
    Client c(port);
    c.await(4);  // AA 06 00 00
    c.exchange(nolt::statusQueryFrame(), 14);
}

}  // namespace

int main()
{
    try {
        if (!nolt::initSocketLayer()) throw std::runtime_error("no socket layer");
        auto normal = startModule({});
        nolt::sim::ModuleState odd;  // another status report and version
        odd.version = 258;
        odd.statusOverride = Bytes{0x19, 0x32, 0x07, 0x80, 0x04, 0x38, 0x05, 0x00, 0x02, 0xD0};
        auto coalesce = startModule({.coalesce = true, .statusFlood = 3}, odd);
        nolt::sim::ModuleState negative;  // signed values and a zero width
        negative.statusOverride = Bytes{0xC8, 0xFF, 0xFF, 0x38, 0x00, 0x64, 0x00, 0x00, 0x02, 0xD0};
        negative.version = -2147483647 - 1;
        // The pause outlasts a delayed acknowledgement, so each piece leaves
        // in a segment of its own.
        auto split = startModule({.splitBytes = 5, .splitPauseMs = 60, .coalesce = true, .repeat = 2}, negative);
        auto info = startModule({.infoAfterMs = 30});
        std::cout << "ports " << normal->port() << " " << coalesce->port() << " " << split->port() << " "
                  << info->port() << std::endl;
        std::string line;
        std::getline(std::cin, line);
        normalSession(normal->port());
        coalesceSession(coalesce->port());
        splitSession(split->port());
        infoSession(info->port());
        std::cout << "done" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "capture_session: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
