// UTF-8 encoding and decoding of single code points, shared by the narrow
// text conversion and the UTF-16 profile files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nolt {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends c as UTF-8; a surrogate or a value above U+10FFFF becomes U+FFFD.
void appendUtf8(std::string& out, char32_t c);

// Decodes one UTF-8 sequence at text[pos] and moves pos past it. A malformed
// sequence yields U+FFFD and consumes only its maximal valid prefix (at least
// one byte), so the following bytes are decoded afresh.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

}  // namespace nolt
