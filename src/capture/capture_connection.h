// One TCP connection inside a capture file: turns the blocks the tool sends
// and receives into segments with the right sequence and acknowledgement
// numbers. Made by CaptureFile::beginConnection; safe to use from several
// threads (the tool's sends and the link thread's receives).
#pragma once

#include "capture/tcp_packet.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace nolt::capture {

class CaptureFile;

class CaptureConnection {
public:
    enum class Side { Tool, Module };

    // Announced in both SYNs; larger blocks go out in several segments, as
    // they would on an Ethernet link.
    static constexpr std::uint16_t kMss = 1460;
    // Each side's receive window, never scaled and never full: the other
    // side acknowledges once half of it is in flight.
    static constexpr std::uint16_t kWindow = 65535;

    CaptureConnection(const CaptureConnection&) = delete;
    CaptureConnection& operator=(const CaptureConnection&) = delete;

    // Bytes the tool sent to the module, and bytes it received from it.
    // Empty blocks are not recorded (an empty segment would read as a
    // duplicate acknowledgement).
    void sent(std::span<const std::uint8_t> bytes);
    void received(std::span<const std::uint8_t> bytes);

    // The connection ends, begun by `closer`: FIN, FIN and the last ACK.
    // Nothing is recorded for it afterwards.
    void close(Side closer);
    bool closed() const;

private:
    friend class CaptureFile;

    struct End {
        SocketEndpoint endpoint;
        std::uint32_t nextSeq = 0;
        std::uint32_t acked = 0;  // how far the other side has acknowledged this side's bytes
        std::uint16_t ipId = 0;
    };

    CaptureConnection(std::shared_ptr<CaptureFile> file, const ConnectionEndpoints& ends);
    // The handshake; the caller holds the file's lock.
    void open();
    void data(Side from, std::span<const std::uint8_t> bytes);
    void segment(Side from, std::uint8_t flags, std::span<const std::uint8_t> payload = {}, std::uint16_t mss = 0);
    End& end(Side side) { return ends_[side == Side::Tool ? 0 : 1]; }
    static Side other(Side side) { return side == Side::Tool ? Side::Module : Side::Tool; }

    std::shared_ptr<CaptureFile> file_;
    std::array<End, 2> ends_;
    bool closed_ = false;
};

}  // namespace nolt::capture
