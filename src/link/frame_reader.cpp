#include "link/frame_reader.h"

#include <algorithm>

namespace nolt {

namespace {
constexpr std::size_t kHeaderLength = 3;  // start, code, length
}

FrameBuffer toFrameBuffer(std::span<const std::uint8_t> frame)
{
    FrameBuffer buffer{};
    const std::size_t n = std::min(frame.size(), buffer.size());
    std::copy_n(frame.begin(), n, buffer.begin());
    return buffer;
}

std::size_t FrameReader::wantedLength() const
{
    if (pending_.size() < kHeaderLength) return kHeaderLength;
    // A declared length above 252 still ends where the sender says, so the
    // stream stays in step; only the first 256 bytes are ever examined.
    return pending_[2] + kFrameOverhead;
}

ReceivedItem FrameReader::takePending(std::size_t length)
{
    // The item's buffer starts zero-filled; copying the frame straight into
    // it avoids a second 256-byte buffer per frame on the receive path.
    ReceivedItem item;
    const std::size_t taken = std::min(length, pending_.size());
    std::copy_n(pending_.begin(), std::min(taken, item.frame.size()), item.frame.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
    return item;
}

std::vector<ReceivedItem> FrameReader::feed(std::span<const std::uint8_t> bytes, Clock::time_point now)
{
    std::vector<ReceivedItem> items;
    while (!bytes.empty()) {
        if (pending_.empty() && bytes.front() != kFrameStart) {
            // Unframed text: the rest of the read is one block.
            ReceivedItem text;
            text.kind = ReceivedItem::Kind::Text;
            text.text.assign(bytes.begin(), bytes.end());
            items.push_back(std::move(text));
            break;
        }
        // Take only what the frame still needs, learning its length on the way.
        std::size_t want = wantedLength();
        std::size_t take = std::min(want - pending_.size(), bytes.size());
        pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
        bytes = bytes.subspan(take);
        want = wantedLength();
        if (want > pending_.size()) continue;
        items.push_back(takePending(want));
    }
    lastArrival_ = now;
    return items;
}

std::optional<ReceivedItem> FrameReader::expire(Clock::time_point now)
{
    if (pending_.empty() || now - lastArrival_ < kPartialTimeout) return std::nullopt;
    return takePending(pending_.size());
}

std::optional<FrameReader::Clock::time_point> FrameReader::deadline() const
{
    if (pending_.empty()) return std::nullopt;
    return lastArrival_ + kPartialTimeout;
}

}  // namespace nolt
