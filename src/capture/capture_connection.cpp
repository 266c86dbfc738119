#include "capture/capture_connection.h"

#include "capture/capture_file.h"

#include <algorithm>
#include <mutex>

namespace nolt::capture {

CaptureConnection::CaptureConnection(std::shared_ptr<CaptureFile> file, const ConnectionEndpoints& ends)
    : file_(std::move(file))
{
    end(Side::Tool).endpoint = ends.local;
    end(Side::Module).endpoint = ends.peer;
}

// Each side starts from a random sequence number and packet id, as real
// stacks do; the SYNs announce the segment size the data is cut to.
void CaptureConnection::open()
{
    for (End& e : ends_) {
        e.nextSeq = file_->randomNumber();
        e.acked = e.nextSeq;
        e.ipId = static_cast<std::uint16_t>(file_->randomNumber());
    }
    segment(Side::Tool, kTcpSyn, {}, kMss);
    segment(Side::Module, kTcpSyn | kTcpAck, {}, kMss);
    segment(Side::Tool, kTcpAck);
}

void CaptureConnection::sent(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(file_->mutex_);
    data(Side::Tool, bytes);
}

void CaptureConnection::received(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(file_->mutex_);
    data(Side::Module, bytes);
}

void CaptureConnection::close(Side closer)
{
    std::lock_guard lock(file_->mutex_);
    if (closed_) return;
    closed_ = true;
    segment(closer, kTcpFin | kTcpAck);
    segment(other(closer), kTcpFin | kTcpAck);
    segment(closer, kTcpAck);
}

bool CaptureConnection::closed() const
{
    std::lock_guard lock(file_->mutex_);
    return closed_;
}

void CaptureConnection::data(Side from, std::span<const std::uint8_t> bytes)
{
    if (closed_) return;
    while (!bytes.empty()) {
        const auto piece = bytes.first(std::min<std::size_t>(bytes.size(), kMss));
        bytes = bytes.subspan(piece.size());
        segment(from, static_cast<std::uint8_t>(kTcpAck | (bytes.empty() ? kTcpPush : 0)), piece);
        // The receiver acknowledges before the window could fill, so that
        // no capture tool reads the connection as stalled.
        const End& sender = end(from);
        if (sender.nextSeq - sender.acked >= kWindow / 2) segment(other(from), kTcpAck);
    }
}

void CaptureConnection::segment(Side from, std::uint8_t flags, std::span<const std::uint8_t> payload,
                                std::uint16_t mss)
{
    End& self = end(from);
    End& peer = end(other(from));
    TcpSegment s;
    s.from = self.endpoint;
    s.to = peer.endpoint;
    s.seq = self.nextSeq;
    s.ack = peer.nextSeq;
    s.flags = flags;
    s.window = kWindow;
    s.ipId = self.ipId++;
    s.mss = mss;
    file_->writePacket(ipv4TcpPacket(s, payload));
    self.nextSeq += static_cast<std::uint32_t>(payload.size()) + ((flags & (kTcpSyn | kTcpFin)) ? 1 : 0);
    if (flags & kTcpAck) peer.acked = peer.nextSeq;
}

}  // namespace nolt::capture
