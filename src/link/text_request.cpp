#include "link/text_request.h"

#include <algorithm>

namespace nolt {

bool TextRequest::ready() const
{
    std::lock_guard lock(mutex_);
    return answer_.has_value();
}

std::optional<Bytes> TextRequest::take()
{
    std::lock_guard lock(mutex_);
    std::optional<Bytes> out = std::move(answer_);
    answer_.reset();
    return out;
}

void TextRequest::cancel()
{
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    answer_.reset();
}

bool TextRequest::cancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool TextRequest::deliver(std::span<const std::uint8_t> block)
{
    std::lock_guard lock(mutex_);
    if (cancelled_ || delivered_) return false;
    const auto limit = block.first(std::min(block.size(), kMaxAnswer));
    const auto end = std::find(limit.begin(), limit.end(), std::uint8_t{0});
    answer_ = Bytes(limit.begin(), end);
    delivered_ = true;
    return true;
}

}  // namespace nolt
