#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nolt {

// Editing of profile (INI) text the way the platform's profile functions do
// it: section and key names match without regard to ASCII letter case, the
// first matching section and the first matching key win, names and values
// are read with surrounding blanks removed and one pair of matching quotes
// stripped from a value. A write touches one line only (or inserts one), so
// every other byte of the text - comments, blank lines, other sections,
// unknown keys, their line ends - stays as it was. Lines the program writes
// end in CR LF. The text is treated as bytes, so garbage, NUL bytes, very
// long lines or a missing final line end are harmless.

// The value of `key` in `section`, or nothing when either is missing or the
// key's line has no equals sign.
std::optional<std::string> profileTextRead(std::string_view text, std::string_view section,
                                           std::string_view key);

// `text` with `key` in `section` set to `value`: the key's line is rewritten
// where it stands, or the key is added after the last non-blank line of its
// section, or a new section is added at the end of the text. A value with a
// blank at either end, or wrapped in a pair of quotes, is stored in (a
// further pair of) quotes, so that it reads back as it was.
std::string profileTextWrite(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// A name or value that would split or forge a line (CR, LF, NUL; for names
// also '=' and a leading '[') cannot be stored faithfully.
bool isStorableProfileName(std::string_view name);
bool isStorableProfileValue(std::string_view value);

}  // namespace nolt
