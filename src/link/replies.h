// The reply handling table: a received frame becomes the effects the user
// sees. Every reply, whichever command caused it, is reported here.
#pragma once

#include "link/effect.h"
#include "link/frame_reader.h"

#include <vector>

namespace nolt {

// Effects of one frame (at offset 0 of a zero-filled 256-byte buffer), in
// the order they are to be carried out. A frame that does not start with
// 0xAA, or whose code is not a known reply, yields nothing.
std::vector<Effect> handleReply(const FrameBuffer& frame);

}  // namespace nolt
