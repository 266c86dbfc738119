#include "link/frame_exchange.h"

#include "capture/capture_connection.h"
#include "capture/capture_file.h"
#include "platform/socket_endpoints.h"

#include <algorithm>
#include <array>

namespace nolt {

FrameExchange::FrameExchange(std::uint32_t addressNetworkOrder, std::uint16_t port, const Bytes& request,
                             std::chrono::milliseconds timeout)
    : address_(addressNetworkOrder), port_(port), request_(request), start_(Clock::now()), deadline_(start_ + timeout)
{
}

void FrameExchange::start()
{
    switch (socket_.connect(address_, port_)) {
    case AsyncTcpSocket::ConnectStart::Connected: return connected();
    case AsyncTcpSocket::ConnectStart::Pending: state_ = State::Connecting; return;
    case AsyncTcpSocket::ConnectStart::Failed: return failed(Failure::Connect);
    case AsyncTcpSocket::ConnectStart::NoSocket:
        // No verdict: the engine starts this exchange again later.
        lackedSocket_ = true;
        return finish();
    }
}

void FrameExchange::finish()
{
    state_ = State::Done;
    if (captured_) captured_->close(capture::CaptureConnection::Side::Tool);
    socket_.close();
}

void FrameExchange::connected()
{
    if (capture_)
        if (const auto ends = connectionEndpoints(socket_.handle())) captured_ = capture_->beginConnection(*ends);
    state_ = State::Sending;
    sendRest();
}

double FrameExchange::elapsed() const
{
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

PollItem FrameExchange::pollItem() const
{
    PollItem item;
    item.socket = socket_.handle();
    item.wantWrite = state_ == State::Connecting || state_ == State::Sending;
    item.wantRead = state_ == State::Awaiting;
    return item;
}

FrameExchange::Clock::time_point FrameExchange::dueAt() const
{
    const auto partial = reader_.deadline();
    return partial ? std::min(*partial, deadline_) : deadline_;
}

void FrameExchange::onEvent(const PollItem& item)
{
    if (!item.writable && !item.readable && !item.failed) return;
    switch (state_) {
    case State::Connecting:
        if (!socket_.connectSucceeded()) return failed(Failure::Connect);
        return connected();
    case State::Sending: return sendRest();
    case State::Awaiting: return receive();
    case State::Done: return;
    }
}

void FrameExchange::onTime(Clock::time_point now)
{
    if (state_ == State::Awaiting)
        if (auto item = reader_.expire(now)) handle(*item);
    if (done() || now < deadline_) return;
    failed(state_ == State::Connecting ? Failure::Connect : Failure::NoAnswer);
}

void FrameExchange::sendRest()
{
    while (sentCount_ < request_.size()) {
        const auto rest = std::span(request_).subspan(sentCount_);
        const long n = socket_.send(rest);
        if (n == AsyncTcpSocket::kWouldBlock) return;
        if (n < 0) return failed(Failure::Send);
        if (captured_) captured_->sent(rest.first(static_cast<std::size_t>(n)));
        sent(rest.first(static_cast<std::size_t>(n)));
        sentCount_ += static_cast<std::size_t>(n);
    }
    state_ = State::Awaiting;
    allSent();
}

void FrameExchange::receive()
{
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    while (!done()) {
        const long n = socket_.receive(buffer);
        if (n == AsyncTcpSocket::kWouldBlock) return;
        if (n == 0 && captured_) captured_->close(capture::CaptureConnection::Side::Module);
        if (n <= 0) return failed(Failure::Closed);
        const auto block = std::span(buffer).first(static_cast<std::size_t>(n));
        if (captured_) captured_->received(block);
        received(block);
        for (const ReceivedItem& item : reader_.feed(block, Clock::now())) {
            handle(item);
            if (done()) return;
        }
    }
}

}  // namespace nolt
