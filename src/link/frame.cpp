#include "link/frame.h"

#include "link/protocol_names.h"

#include <stdexcept>

namespace nolt {

bool isKnownReplyCode(std::uint8_t c)
{
    return !replyName(c).empty();
}

std::uint8_t checksum(std::span<const std::uint8_t> payload)
{
    unsigned sum = 0;
    for (std::uint8_t b : payload) sum += b;
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

Bytes buildFrame(std::uint8_t c, std::span<const std::uint8_t> payload)
{
    if (payload.size() > 255) throw std::length_error("frame payload over 255 bytes");
    Bytes frame;
    frame.reserve(payload.size() + kFrameOverhead);
    frame.push_back(kFrameStart);
    frame.push_back(c);
    frame.push_back(static_cast<std::uint8_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(checksum(payload));
    return frame;
}

Verification verifyFrame(const std::array<std::uint8_t, kReceiveBufferSize>& buffer)
{
    Verification v;
    v.startOk = buffer[0] == kFrameStart;
    if (!v.startOk) return v;
    v.code = buffer[1];
    v.known = isKnownReplyCode(v.code);
    if (!v.known) return v;
    const std::size_t n = buffer[2];
    if (n > kMaxVerifiablePayload) return v;  // checksum byte would lie past the buffer
    v.checksumOk = checksum(std::span(buffer).subspan(3, n)) == buffer[3 + n];
    return v;
}

}  // namespace nolt
