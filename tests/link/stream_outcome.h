// Runs received bytes through reassembly and reply handling, the way the link
// thread does, and collects what comes out.
#pragma once

#include "link/frame_reader.h"
#include "link/replies.h"

#include <ostream>
#include <vector>

namespace nolt {

// Readable failure messages for effects.
inline void PrintTo(const Effect& e, std::ostream* os)
{
    static const char* const kinds[] = {"log", "box", "field", "reset"};
    *os << kinds[static_cast<int>(e.kind)] << '(' << e.controlId << ',' << static_cast<int>(e.icon) << ",\"";
    for (wchar_t c : e.text) *os << static_cast<char>(c < 0x80 ? c : '?');
    *os << "\")";
}

}  // namespace nolt

namespace nolt::test {

struct StreamOutcome {
    std::vector<Effect> effects;
    std::vector<Bytes> texts;
    bool operator==(const StreamOutcome&) const = default;
};

inline void collect(std::vector<ReceivedItem> items, StreamOutcome& out)
{
    for (ReceivedItem& item : items) {
        if (item.kind == ReceivedItem::Kind::Text) {
            out.texts.push_back(std::move(item.text));
        } else {
            for (Effect& e : handleReply(item.frame)) out.effects.push_back(std::move(e));
        }
    }
}

// Feeds the stream in chunks of the given size, all at one instant.
inline StreamOutcome feedInChunks(const Bytes& stream, std::size_t chunk)
{
    FrameReader reader;
    StreamOutcome out;
    const auto now = FrameReader::Clock::now();
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        const std::size_t n = std::min(chunk, stream.size() - at);
        collect(reader.feed(std::span(stream).subspan(at, n), now), out);
    }
    return out;
}

}  // namespace nolt::test
