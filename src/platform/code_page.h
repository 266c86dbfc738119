// Conversion between the user interface's wide text and the narrow text that
// goes on the wire, into address parsing and into command lines. On Windows
// the narrow form is the thread's ANSI code page; elsewhere it is UTF-8.
// Input that cannot be converted becomes U+FFFD (or "?" in a code page that
// lacks it); the conversion never fails and never reads past its input.
#pragma once

#include <string>
#include <string_view>

namespace nolt {

std::string toNarrow(std::wstring_view wide);
std::wstring fromNarrow(std::string_view narrow);

}  // namespace nolt
