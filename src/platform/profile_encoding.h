#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nolt {

// How a profile file stores its text. The platform's profile functions read
// a file that starts with a UTF-16 byte order mark as UTF-16 and write it
// back the same way; any other file is narrow text, used here as bytes.
enum class ProfileEncoding { Narrow, Utf16LE, Utf16BE };

struct DecodedProfile {
  ProfileEncoding encoding = ProfileEncoding::Narrow;
  std::string text;  // the bytes of a narrow file; UTF-8 for a UTF-16 one
};

DecodedProfile decodeProfile(std::string_view bytes);

// The file bytes for `text`, with the byte order mark of a UTF-16 encoding.
std::string encodeProfile(std::string_view text, ProfileEncoding encoding);

// Cuts a value to `units` characters of the file's own kind: bytes in a
// narrow file, UTF-16 units (never half a pair) in a UTF-16 one.
std::string cutToUnits(std::string value, std::size_t units, ProfileEncoding encoding);

}  // namespace nolt
