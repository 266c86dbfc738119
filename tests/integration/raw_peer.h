// A module stand-in on 127.0.0.1 that the test drives byte by byte: it
// accepts the tool's connection, writes exactly the bytes given, reads what
// the tool sent, and can end the connection with a reset.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace nolt::test {

class RawPeer {
public:
    RawPeer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        socklen_t len = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 1) != 0
            || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
    }
    ~RawPeer()
    {
        close();
        if (listener_ >= 0) ::close(listener_);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    std::uint16_t port() const { return port_; }

    // Takes the tool's connection once it is there (non-blocking).
    bool accepted()
    {
        if (conn_ < 0 && ready(listener_, 0)) conn_ = ::accept(listener_, nullptr, nullptr);
        return conn_ >= 0;
    }

    bool write(const Bytes& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(conn_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // What the tool has sent so far, waiting at most timeoutMs for the first byte.
    Bytes read(int timeoutMs)
    {
        Bytes out;
        std::uint8_t buf[512];
        while (ready(conn_, out.empty() ? timeoutMs : 20)) {
            const ssize_t n = ::recv(conn_, buf, sizeof buf, 0);
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

    // True once the tool has closed its end.
    bool peerClosed(int timeoutMs)
    {
        std::uint8_t b;
        return ready(conn_, timeoutMs) && ::recv(conn_, &b, 1, MSG_PEEK) == 0;
    }

    void close()
    {
        if (conn_ >= 0) ::close(conn_);
        conn_ = -1;
    }

    // Ends the connection with a reset, so the tool's next send fails.
    void abort()
    {
        linger l{1, 0};
        ::setsockopt(conn_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close();
    }

private:
    static bool ready(int fd, int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        return fd >= 0 && ::poll(&p, 1, timeoutMs) > 0;
    }

    int listener_ = -1;
    int conn_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace nolt::test
