// Arbitrary bytes, split arbitrarily and spread over time, through
// reassembly and reply handling, as the link thread runs them.
#include "link/frame_reader.h"
#include "link/replies.h"
#include "link/text_request.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using namespace nolt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    FrameReader reader;
    auto now = FrameReader::Clock::now();
    auto handle = [](const std::vector<ReceivedItem>& items) {
        for (const ReceivedItem& item : items) {
            if (item.kind == ReceivedItem::Kind::Text) {
                TextRequest request;
                request.deliver(item.text);
                const auto answer = request.take();
                if (!answer || answer->size() > TextRequest::kMaxAnswer) std::abort();
                continue;
            }
            for (const Effect& e : handleReply(item.frame))
                if (e.kind != Effect::Kind::LinkReset && e.text.empty() && e.kind != Effect::Kind::FieldText)
                    std::abort();
        }
    };
    while (input.remaining_bytes() > 0) {
        const auto chunk = input.ConsumeIntegralInRange<std::size_t>(1, 300);
        now += std::chrono::milliseconds(input.ConsumeIntegralInRange<int>(0, 250));
        if (auto stale = reader.expire(now)) handle({*stale});
        const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(chunk);
        handle(reader.feed(bytes, now));
    }
    if (auto last = reader.expire(now + FrameReader::kPartialTimeout)) handle({*last});
    if (reader.framePending()) std::abort();
    return 0;
}
