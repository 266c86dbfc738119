// The self-test fields filled from a status report.
#pragma once

#include "link/effect.h"
#include "link/frame_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nolt {

// A number in decimal, as "%d" writes it. Faster than std::to_wstring, which
// goes through the C library's wide formatting and dominated the receive path.
std::wstring decimalText(std::int32_t value);

// Field texts for the output frequency (1013), input frequency (1014), source
// size (1018) and destination size (1016), in that order. Reads payload bytes
// 0 to 9 whatever the declared length; a size with a zero side shows "0".
std::vector<Effect> statusDisplay(const FrameBuffer& frame);

}  // namespace nolt
