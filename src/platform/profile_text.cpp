#include "platform/profile_text.h"

#include <algorithm>
#include <cstddef>

namespace nolt {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the text: [start, end) is its content without the LF; next is
// where the following line starts.
struct Line {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// The span of one section: its header line, and where its body ends (the
// start of the next header or the end of the text).
struct SectionSpan {
  Line header;
  std::size_t bodyEnd = 0;
};

bool isBlank(char c) {
  // Ctrl-Z is an old end-of-file marker the platform also skips.
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::size_t firstLineStart(std::string_view text) {
  return text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
}

// A line ends in LF, CR LF or a lone CR, as the platform reads it.
Line lineAt(std::string_view text, std::size_t pos) {
  const std::size_t end = text.find_first_of("\r\n", pos);
  if (end == std::string_view::npos) return {pos, text.size(), text.size()};
  const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  return {pos, end, end + (crlf ? 2 : 1)};
}

std::string_view contentOf(std::string_view text, const Line& line) {
  return trim(text.substr(line.start, line.end - line.start));
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> headerName(std::string_view content) {
  if (!content.starts_with('[')) return std::nullopt;
  const std::size_t close = content.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return content.substr(1, close - 1);
}

std::string_view keyNameOf(std::string_view content) {
  return trim(content.substr(0, content.find('=')));
}

std::optional<std::string_view> rawValueOf(std::string_view content) {
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return trim(content.substr(eq + 1));
}

std::string_view stripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::optional<SectionSpan> findSection(std::string_view text, std::string_view section) {
  std::optional<SectionSpan> found;
  // Lines before the first header form a section without a name; an empty
  // header line stands for it.
  const std::size_t start = firstLineStart(text);
  if (section.empty()) found = SectionSpan{Line{start, start, start}, text.size()};
  for (std::size_t pos = start; pos < text.size();) {
    const Line line = lineAt(text, pos);
    if (const auto name = headerName(contentOf(text, line))) {
      if (found) {
        found->bodyEnd = line.start;
        return found;
      }
      if (sameName(trim(*name), section)) found = SectionSpan{line, text.size()};
    }
    pos = line.next;
  }
  return found;
}

std::optional<Line> findKey(std::string_view text, const SectionSpan& span, std::string_view key) {
  for (std::size_t pos = span.header.next; pos < span.bodyEnd;) {
    const Line line = lineAt(text, pos);
    const std::string_view content = contentOf(text, line);
    if (!content.empty() && sameName(keyNameOf(content), key)) return line;
    pos = line.next;
  }
  return std::nullopt;
}

// The last line of the section that is not blank (the header if none).
Line lastFilledLine(std::string_view text, const SectionSpan& span) {
  Line last = span.header;
  for (std::size_t pos = span.header.next; pos < span.bodyEnd;) {
    const Line line = lineAt(text, pos);
    if (!contentOf(text, line).empty()) last = line;
    pos = line.next;
  }
  return last;
}

// How a value is stored so that a reading gives it back whole: a value with
// a blank at either end, or wrapped in a pair of quotes itself, would lose
// them to the reading's trimming and stripping, so it goes in quotes.
std::string storedForm(std::string_view value) {
  const bool keepsAsItIs = trim(value).size() == value.size() && stripQuotes(value).size() == value.size();
  std::string stored;
  if (!keepsAsItIs) stored.push_back('"');
  stored.append(value);
  if (!keepsAsItIs) stored.push_back('"');
  return stored;
}

std::string keyLine(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 3);
  line.append(key).append("=").append(value).append(kLineEnd);
  return line;
}

// Inserts `addition` after `line`, giving that line a line end first when it
// is the last line of the text and has none.
std::string insertAfter(std::string_view text, const Line& line, std::string_view addition) {
  std::string out(text.substr(0, line.next));
  if (line.next == line.end && line.end > line.start) out.append(kLineEnd);
  out.append(addition);
  out.append(text.substr(line.next));
  return out;
}

std::string appendSection(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value) {
  std::string out(text);
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(kLineEnd);
  out.append("[").append(section).append("]").append(kLineEnd);
  out.append(keyLine(key, value));
  return out;
}

}  // namespace

std::optional<std::string> profileTextRead(std::string_view text, std::string_view section,
                                           std::string_view key) {
  const auto span = findSection(text, trim(section));
  if (!span) return std::nullopt;
  const auto line = findKey(text, *span, trim(key));
  if (!line) return std::nullopt;
  const auto raw = rawValueOf(contentOf(text, *line));
  if (!raw) return std::nullopt;
  return std::string(stripQuotes(*raw));
}

std::string profileTextWrite(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
  section = trim(section);
  key = trim(key);
  const std::string stored = storedForm(value);
  const auto span = findSection(text, section);
  if (!span) return appendSection(text, section, key, stored);
  const auto line = findKey(text, *span, key);
  if (!line) return insertAfter(text, lastFilledLine(text, *span), keyLine(key, stored));
  const std::string_view content = contentOf(text, *line);
  if (rawValueOf(content) == stored) return std::string(text);
  std::string out(text.substr(0, line->start));
  out.append(keyLine(keyNameOf(content), stored));
  out.append(text.substr(line->next));
  return out;
}

bool isStorableProfileValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool isStorableProfileName(std::string_view name) {
  const std::string_view trimmed = trim(name);
  return !trimmed.empty() && isStorableProfileValue(name) && name.find('=') == std::string_view::npos &&
         !trimmed.starts_with('[');
}

}  // namespace nolt
