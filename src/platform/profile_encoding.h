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
  // The bytes of a narrow file; UTF-8 for a UTF-16 one, in which a surrogate
  // without its partner is written as if it were a character, so that
  // encoding the text again gives back the units it came from.
  std::string text;
  std::string trailing;  // a UTF-16 file's lone last byte, kept as it was
};

DecodedProfile decodeProfile(std::string_view bytes);

// The file bytes for the text, with the byte order mark of a UTF-16
// encoding: decoding a file and encoding it again gives its bytes back.
std::string encodeProfile(const DecodedProfile& profile);

// Cuts a value to `units` characters of the file's own kind: bytes in a
// narrow file, UTF-16 units (never half a pair) in a UTF-16 one, where a
// surrogate without its partner reads as U+FFFD.
std::string cutToUnits(std::string value, std::size_t units, ProfileEncoding encoding);

}  // namespace nolt
