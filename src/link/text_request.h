// A request for the next block of unframed text from the module (the
// push-address answer). The link thread is the only reader of the socket; a
// request registered with the link before its command is sent receives the
// next block that does not start a frame, instead of that block being dropped.
#pragma once

#include "link/frame.h"

#include <mutex>
#include <optional>
#include <span>

namespace nolt {

class TextRequest {
public:
    // At most one receive buffer's worth of text makes one answer.
    static constexpr std::size_t kMaxAnswer = kReceiveBufferSize;

    // True once an answer has arrived and has not been taken.
    bool ready() const;
    // The answer, once; nullopt before it arrives or after cancel().
    std::optional<Bytes> take();
    // Stops waiting: a later block is dropped as if nobody had asked.
    void cancel();
    bool cancelled() const;

    // Called by the link thread. The answer ends at its first zero byte and
    // holds at most kMaxAnswer bytes. False when the request no longer wants it.
    bool deliver(std::span<const std::uint8_t> block);

private:
    mutable std::mutex mutex_;
    std::optional<Bytes> answer_;
    bool cancelled_ = false;
    bool delivered_ = false;
};

}  // namespace nolt
