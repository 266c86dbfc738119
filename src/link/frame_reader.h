// Reassembly of the byte stream from the module into frames. TCP delivers
// bytes, not messages: one read may carry part of a frame, or several frames,
// or unframed text (the push-address answer). The reader turns reads into
// complete items, in order.
#pragma once

#include "link/frame.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace nolt {

// One frame as the reply handling sees it: the frame at offset 0, every byte
// after the frame's end zero.
using FrameBuffer = std::array<std::uint8_t, kReceiveBufferSize>;

struct ReceivedItem {
    enum class Kind { Frame, Text };
    Kind kind = Kind::Frame;
    FrameBuffer frame{};  // for Kind::Frame
    Bytes text;           // for Kind::Text: the block as it arrived
};

class FrameReader {
public:
    using Clock = std::chrono::steady_clock;
    // How long the rest of a started frame may take to arrive.
    static constexpr std::chrono::milliseconds kPartialTimeout{200};

    // Takes the bytes of one read made at `now` and returns every item they
    // complete, in order. Bytes in hand always continue a frame in progress:
    // they may have waited in the socket while the link thread was busy (a
    // message box, a slow window), so only expire(), called when a wait for
    // more bytes has run out, ends a partial frame.
    std::vector<ReceivedItem> feed(std::span<const std::uint8_t> bytes, Clock::time_point now);

    // When a partial frame has waited kPartialTimeout since its last bytes
    // arrived, returns it as it stands: the missing bytes read as zero.
    std::optional<ReceivedItem> expire(Clock::time_point now);

    // When expire() will next have something to return.
    std::optional<Clock::time_point> deadline() const;

    bool framePending() const { return !pending_.empty(); }

private:
    // Bytes the frame at the front of pending_ needs in all, once known.
    std::size_t wantedLength() const;
    ReceivedItem takePending(std::size_t length);

    Bytes pending_;  // a frame in progress, starting with 0xAA
    Clock::time_point lastArrival_{};
};

// The zero-filled buffer for the first bytes of a frame (at most 256).
FrameBuffer toFrameBuffer(std::span<const std::uint8_t> frame);

}  // namespace nolt
