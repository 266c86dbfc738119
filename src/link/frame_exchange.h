// One request to a module on a non-blocking socket, for the one-thread
// engine of many connections (platform/poll_loop.h): connect, send the
// request, then hand every frame or text the module sends back to the owner
// until it has what it waits for, all within a time-out from the start.
// The command-line client's batches and the module scanner are made of these.
#pragma once

#include "link/frame.h"
#include "link/frame_reader.h"
#include "platform/poll_loop.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

namespace nolt {

namespace capture {
class CaptureConnection;
class CaptureFile;
}  // namespace capture

class FrameExchange : public PolledConnection {
public:
    bool done() const override { return state_ == State::Done; }
    PollItem pollItem() const override;
    Clock::time_point dueAt() const override;
    void onEvent(const PollItem& item) override;
    void onTime(Clock::time_point now) override;
    bool lackedSocket() const override { return lackedSocket_; }

protected:
    enum class Failure {
        Connect,       // refused, unreachable, or no connection within the time-out
        Send,          // the request could not go out
        Closed,        // the module closed the connection, or it broke
        NoAnswer,      // connected, but not finished within the time-out
    };

    // The request goes to an IPv4 address in network byte order.
    FrameExchange(std::uint32_t addressNetworkOrder, std::uint16_t port, const Bytes& request,
                  std::chrono::milliseconds timeout);

    // Records the exchange into `file` as one TCP connection, from the
    // connect to the close (nullptr: nothing is recorded). Call before start().
    void recordTo(std::shared_ptr<capture::CaptureFile> file) { capture_ = std::move(file); }

    // Starts connecting; the derived class calls it last in its constructor,
    // since a connect that fails at once calls failed().
    void start();
    // Ends the exchange and closes the socket.
    void finish();
    // Seconds since the exchange started.
    double elapsed() const;

    // Each piece of the request as it goes out, and each block as it arrives.
    virtual void sent(std::span<const std::uint8_t>) {}
    virtual void received(std::span<const std::uint8_t>) {}
    // The whole request has gone out.
    virtual void allSent() {}
    // A frame or a piece of text from the module, in order.
    virtual void handle(const ReceivedItem& item) = 0;
    // The exchange cannot go on; the derived class records why and finishes.
    virtual void failed(Failure why) = 0;

private:
    enum class State { Connecting, Sending, Awaiting, Done };

    void connected();
    void sendRest();
    void receive();

    std::uint32_t address_;
    std::uint16_t port_;
    const Bytes& request_;
    AsyncTcpSocket socket_;
    FrameReader reader_;
    State state_ = State::Connecting;
    std::size_t sentCount_ = 0;
    bool lackedSocket_ = false;
    Clock::time_point start_;
    Clock::time_point deadline_;
    std::shared_ptr<capture::CaptureFile> capture_;
    std::shared_ptr<capture::CaptureConnection> captured_;
};

}  // namespace nolt
