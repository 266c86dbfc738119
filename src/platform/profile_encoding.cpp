#include "platform/profile_encoding.h"

#include <optional>
#include <vector>

#include "platform/utf8.h"

namespace nolt {
namespace {

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// A surrogate without its partner is kept in the text as UTF-8 would write
// it were it a character (ED A0..BF 80..BF), so that a line holding one is
// written back to the file unchanged.
void appendLoneSurrogate(std::string& out, char16_t unit) {
  out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
  out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
  out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
}

std::optional<char16_t> loneSurrogateAt(std::string_view text, std::size_t pos) {
  if (pos + 3 > text.size()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[pos]);
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  const auto third = static_cast<unsigned char>(text[pos + 2]);
  if (lead != 0xED || second < 0xA0 || second > 0xBF || third < 0x80 || third > 0xBF) return std::nullopt;
  return static_cast<char16_t>(0xD000 | ((second & 0x3F) << 6) | (third & 0x3F));
}

std::vector<char16_t> utf16Of(std::string_view utf8) {
  std::vector<char16_t> units;
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (const auto lone = loneSurrogateAt(utf8, pos)) {
      units.push_back(*lone);
      pos += 3;
      continue;
    }
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

// Lone surrogates are kept (see appendLoneSurrogate) or become U+FFFD.
std::string utf8Of(const std::vector<char16_t>& units, bool keepLoneSurrogates) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (isHighSurrogate(c) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (keepLoneSurrogates && (isHighSurrogate(c) || isLowSurrogate(c)))
      appendLoneSurrogate(out, static_cast<char16_t>(c));
    else
      appendUtf8(out, c);  // a lone surrogate becomes U+FFFD here
  }
  return out;
}

}  // namespace

DecodedProfile decodeProfile(std::string_view bytes) {
  const bool little = bytes.starts_with("\xFF\xFE");
  if (!little && !bytes.starts_with("\xFE\xFF")) return {ProfileEncoding::Narrow, std::string(bytes), {}};
  std::vector<char16_t> units;
  std::size_t i = 2;
  for (; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second));
  }
  return {little ? ProfileEncoding::Utf16LE : ProfileEncoding::Utf16BE, utf8Of(units, true),
          std::string(bytes.substr(i))};
}

std::string encodeProfile(const DecodedProfile& profile) {
  if (profile.encoding == ProfileEncoding::Narrow) return profile.text;
  const bool little = profile.encoding == ProfileEncoding::Utf16LE;
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : utf16Of(profile.text)) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes.push_back(little ? low : high);
    bytes.push_back(little ? high : low);
  }
  return bytes + profile.trailing;
}

std::string cutToUnits(std::string value, std::size_t units, ProfileEncoding encoding) {
  if (encoding == ProfileEncoding::Narrow) {
    if (value.size() > units) value.resize(units);
    return value;
  }
  std::vector<char16_t> utf16 = utf16Of(value);
  if (utf16.size() > units) {
    utf16.resize(units);
    if (!utf16.empty() && isHighSurrogate(utf16.back())) utf16.pop_back();
  }
  return utf8Of(utf16, false);
}

}  // namespace nolt
