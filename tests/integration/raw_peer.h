// A module stand-in on 127.0.0.1 that the test drives byte by byte: it
// accepts the tool's connection, writes exactly the bytes given, reads what
// the tool sent, and can end the connection with a reset.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame.h"
#include "platform/tcp_listener.h"

namespace nolt::test {

class RawPeer {
public:
    RawPeer() : listener_(TcpListener::open("127.0.0.1", 0, 1)) {}

    std::uint16_t port() const { return listener_ ? listener_->port() : 0; }

    // Takes the tool's connection once it is there (without waiting).
    bool accepted()
    {
        if (!conn_.isOpen() && listener_)
            if (auto c = listener_->accept(0)) conn_ = std::move(*c);
        return conn_.isOpen();
    }

    bool write(const Bytes& bytes) { return conn_.sendAll(bytes); }

    // What the tool has sent so far, waiting at most timeoutMs for the first byte.
    Bytes read(int timeoutMs)
    {
        Bytes out = std::move(early_);
        early_.clear();
        std::uint8_t buf[512];
        for (;;) {
            const ReceiveResult r = conn_.receive(buf, out.empty() ? timeoutMs : 20);
            if (r.status != ReceiveResult::Status::Data) break;
            out.insert(out.end(), buf, buf + r.count);
        }
        return out;
    }

    // True once the tool has closed its end. Bytes that arrive first are
    // kept for the next read.
    bool peerClosed(int timeoutMs)
    {
        std::uint8_t buf[512];
        for (;;) {
            const ReceiveResult r = conn_.receive(buf, timeoutMs);
            if (r.status != ReceiveResult::Status::Data) return r.status == ReceiveResult::Status::Closed;
            early_.insert(early_.end(), buf, buf + r.count);
        }
    }

    void close() { conn_.close(); }

    // Ends the connection with a reset, so the tool's next send fails.
    void abort() { conn_.reset(); }

private:
    std::optional<TcpListener> listener_;
    TcpConnection conn_;
    Bytes early_;
};

}  // namespace nolt::test
