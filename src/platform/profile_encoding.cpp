#include "platform/profile_encoding.h"

#include <vector>

#include "platform/utf8.h"

namespace nolt {
namespace {

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::vector<char16_t> utf16Of(std::string_view utf8) {
  std::vector<char16_t> units;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = decodeUtf8(utf8, pos);
    if (c >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  return units;
}

std::string utf8Of(const std::vector<char16_t>& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    // A surrogate without its partner becomes U+FFFD in appendUtf8.
    if (isHighSurrogate(c) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace

DecodedProfile decodeProfile(std::string_view bytes) {
  const bool little = bytes.starts_with("\xFF\xFE");
  if (!little && !bytes.starts_with("\xFE\xFF")) return {ProfileEncoding::Narrow, std::string(bytes)};
  std::vector<char16_t> units;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {  // a lone last byte is dropped
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second));
  }
  return {little ? ProfileEncoding::Utf16LE : ProfileEncoding::Utf16BE, utf8Of(units)};
}

std::string encodeProfile(std::string_view text, ProfileEncoding encoding) {
  if (encoding == ProfileEncoding::Narrow) return std::string(text);
  const bool little = encoding == ProfileEncoding::Utf16LE;
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : utf16Of(text)) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes.push_back(little ? low : high);
    bytes.push_back(little ? high : low);
  }
  return bytes;
}

std::string cutToUnits(std::string value, std::size_t units, ProfileEncoding encoding) {
  if (encoding == ProfileEncoding::Narrow) {
    if (value.size() > units) value.resize(units);
    return value;
  }
  std::vector<char16_t> utf16 = utf16Of(value);
  if (utf16.size() <= units) return value;
  utf16.resize(units);
  if (!utf16.empty() && isHighSurrogate(utf16.back())) utf16.pop_back();
  return utf8Of(utf16);
}

}  // namespace nolt
