// The settings file as the tool loads and saves it, in memory: any bytes as
// the old file, any texts the dialog's fields can hold as the values.
//
// Properties:
// - a save then a load gives the values back (cut to the 259 characters the
//   read buffer holds);
// - every line of the old file that is not one of ours survives byte for
//   byte, in order; the only other lines are our seven and our section's
//   header when the file had none;
// - a second save of the same values changes nothing (Close saves twice);
// - nothing outside the file's bytes is read (the file is handed over in an
//   allocation of its exact size, so AddressSanitizer sees any overrun).
//
// Input: the old file first; the values are drawn from the input's end.
#include "fuzz_check.h"
#include "platform/code_page.h"
#include "platform/profile_text.h"
#include "platform/settings_store.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace nolt;
using fuzz::propertyFailed;
using fuzz::shown;

namespace {

constexpr std::size_t kReadChars = 259;
constexpr std::array<bool, kSettingCount> kIsPort = {false, true, false, false, false, false, true};

// ---- an independent reading of the file's lines ----------------------------

template <typename Char>
using View = std::basic_string_view<Char>;

// A line's content and its end ("\r\n", "\n", "\r" or nothing at the end),
// in the file's own units: bytes, or 16-bit units after a UTF-16 mark.
template <typename Char>
struct Line {
    View<Char> content;
    View<Char> end;
};

template <typename Char>
std::vector<Line<Char>> linesOf(View<Char> text)
{
    std::vector<Line<Char>> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        const std::size_t stop = i;
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n' && (i == stop || text[stop] == '\r') && i - stop < 2) ++i;
        lines.push_back({text.substr(start, stop - start), text.substr(stop, i - stop)});
    }
    return lines;
}

template <typename Char>
bool blank(Char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A;
}

template <typename Char>
View<Char> trimmed(View<Char> s)
{
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    return s;
}

template <typename Char>
bool sameName(View<Char> text, std::string_view name)
{
    if (text.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        Char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c - 'A' + 'a');
        char n = name[i];
        if (n >= 'A' && n <= 'Z') n = static_cast<char>(n - 'A' + 'a');
        if (c != static_cast<Char>(static_cast<unsigned char>(n))) return false;
    }
    return true;
}

// The content of a line as the reader sees it: blanks trimmed, and on the
// first line a byte order mark left out.
template <typename Char>
View<Char> seen(const Line<Char>& line, bool first)
{
    View<Char> c = line.content;
    if (first) {
        if constexpr (sizeof(Char) == 1) {
            if (c.starts_with("\xEF\xBB\xBF")) c.remove_prefix(3);
        } else if (!c.empty() && c[0] == 0xFEFF) {
            c.remove_prefix(1);
        }
    }
    return trimmed(c);
}

template <typename Char>
std::optional<View<Char>> headerName(View<Char> content)
{
    if (content.empty() || content[0] != '[') return std::nullopt;
    const std::size_t close = content.rfind(Char(']'));
    if (close == View<Char>::npos || close == 0) return std::nullopt;
    return trimmed(content.substr(1, close - 1));
}

template <typename Char>
View<Char> keyOf(View<Char> content)
{
    return trimmed(content.substr(0, content.find(Char('='))));
}

// Which lines are ours: in the first section called SaveData (letter case
// aside), the first line of each of our keys.
template <typename Char>
std::vector<bool> oursIn(const std::vector<Line<Char>>& lines, bool* hasSection)
{
    std::vector<bool> ours(lines.size(), false);
    std::array<bool, kSettingCount> found{};
    bool inSection = false;
    *hasSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto content = seen(lines[i], i == 0);
        if (const auto name = headerName(content)) {
            if (inSection) break;
            inSection = sameName(*name, kSettingsSection);
            *hasSection = *hasSection || inSection;
            continue;
        }
        if (!inSection || content.empty()) continue;
        for (std::size_t k = 0; k < kSettingCount; ++k) {
            if (!found[k] && sameName(keyOf(content), kSettingKeyNames[k])) {
                found[k] = ours[i] = true;
                break;
            }
        }
    }
    return ours;
}

// The old file's other lines must all be in the new file, in order, byte
// for byte (a last line without an end may have gained one); what else the
// new file holds must be our seven keys with their values and, for a file
// that had no section of ours, its header.
template <typename Char, typename Context>
void checkOtherLinesKept(View<Char> before, View<Char> after, const std::array<std::basic_string<Char>, kSettingCount>& values,
                         const Context& context)
{
    const std::basic_string<Char> lineEnd{Char('\r'), Char('\n')};
    const auto old = linesOf(before);
    const auto now = linesOf(after);
    bool hadSection = false;
    const std::vector<bool> ours = oursIn(old, &hadSection);
    std::size_t j = 0;
    std::array<bool, kSettingCount> written{};
    bool headerAdded = false;
    const auto takeOurs = [&](std::size_t at) {
        const auto content = seen(now[at], at == 0);
        if (!hadSection && !headerAdded && content.size() == kSettingsSection.size() + 2 && headerName(content) &&
            sameName(*headerName(content), kSettingsSection))
            return headerAdded = true;
        for (std::size_t k = 0; k < kSettingCount; ++k) {
            if (written[k] || !sameName(keyOf(content), kSettingKeyNames[k])) continue;
            const std::size_t eq = content.find(Char('='));
            if (eq == std::basic_string<Char>::npos) return false;
            auto value = trimmed(content.substr(eq + 1));
            const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                                (value.front() == Char('"') || value.front() == Char('\''));
            if (quoted) value = value.substr(1, value.size() - 2);
            if (value != values[k]) return false;
            return written[k] = true;
        }
        return false;
    };
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (ours[i]) continue;
        for (;; ++j) {
            if (j >= now.size())
                propertyFailed("every other line survives, in order",
                               "old line " + std::to_string(i + 1) + " is missing or out of order" + context());
            const bool same = now[j].content == old[i].content &&
                              (now[j].end == old[i].end || (old[i].end.empty() && now[j].end == lineEnd));
            if (same) break;
            if (!takeOurs(j))
                propertyFailed("the new file holds nothing but the old lines and ours",
                               "new line " + std::to_string(j + 1) + " is unexpected" + context());
        }
        ++j;
    }
    for (; j < now.size(); ++j) {
        if (!takeOurs(j))
            propertyFailed("the new file holds nothing but the old lines and ours",
                           "new line " + std::to_string(j + 1) + " is unexpected" + context());
    }
    for (std::size_t k = 0; k < kSettingCount; ++k)
        if (!written[k]) propertyFailed("every key is written", std::string(kSettingKeyNames[k]) + context());
}

std::u16string unitsOf(std::string_view bytes, bool little)
{
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(little ? a | (b << 8) : (a << 8) | b));
    }
    return units;
}

// UTF-8 (as a load gives it: valid, U+FFFD for what was not) to UTF-16.
std::u16string utf16Of(std::string_view utf8)
{
    std::u16string out;
    std::wstring wide = fromNarrow(utf8);
    for (wchar_t w : wide) {
        const auto c = static_cast<char32_t>(w);
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

// ---- the values -------------------------------------------------------------

// What an address field yields: four numbers of 0 to 255 with dots.
std::string addressText(std::uint32_t a)
{
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 8) & 0xFF) +
           "." + std::to_string(a & 0xFF);
}

// What a field holds when the save reads it: an address field four numbers
// of 0 to 255 with dots; a port field digits typed (any number of them), or
// the text a load put there, whatever it was, or nothing.
struct FieldChoice {
    int kind = 0;
    std::uint32_t number = 0;
    std::size_t digits = 0;
    std::uint64_t seed = 0;

    static FieldChoice draw(FuzzedDataProvider& in, bool port)
    {
        FieldChoice c;
        if (!port) {
            c.number = in.ConsumeIntegral<std::uint32_t>();
            return c;
        }
        c.kind = in.ConsumeIntegralInRange<int>(0, 3);
        if (c.kind == 0) c.number = in.ConsumeIntegralInRange<std::uint32_t>(0, 99999);
        if (c.kind == 1) {
            c.digits = in.ConsumeIntegralInRange<std::size_t>(0, 400);
            c.seed = in.ConsumeIntegral<std::uint64_t>() | 1;
        }
        return c;
    }

    std::wstring text(bool port, const std::string& loaded) const
    {
        if (!port) return fromNarrow(addressText(number));
        switch (kind) {
        case 0: return std::to_wstring(number);
        case 1: {
            std::wstring typed(digits, L'0');
            std::uint64_t x = seed;
            for (wchar_t& d : typed) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                d = static_cast<wchar_t>(L'0' + x % 10);
            }
            return typed;
        }
        case 2: return fromNarrow(loaded);
        default: return {};
        }
    }
};

// The first `n` characters of a value as the read buffer holds them: bytes
// in a narrow file, 16-bit units (never half a pair) in a UTF-16 one.
std::string cutAsRead(const std::string& value, bool utf16)
{
    if (!utf16) return value.substr(0, std::min(value.size(), kReadChars));
    std::string out;
    std::size_t units = 0;
    for (std::size_t i = 0; i < value.size();) {
        const auto lead = static_cast<unsigned char>(value[i]);
        const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t need = len == 4 ? 2 : 1;
        if (units + need > kReadChars) break;
        out.append(value, i, len);
        units += need;
        i += len;
    }
    return out;
}

std::string describe(std::string_view file, const SettingsValues& values)
{
    std::string text = "\nold file: " + shown(file) + "\nvalues:";
    for (std::size_t k = 0; k < kSettingCount; ++k)
        text += std::string("\n  ") + std::string(kSettingKeyNames[k]) + " = " + shown(values.texts[k]);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    // The values come from the input's end, so that the old file is the
    // input's start and seeds can be plain settings files.
    std::array<FieldChoice, kSettingCount> choices;
    for (std::size_t k = 0; k < kSettingCount; ++k) choices[k] = FieldChoice::draw(in, kIsPort[k]);
    const std::size_t fileSize = in.remaining_bytes();
    std::unique_ptr<char[]> exact(new char[fileSize]);
    if (fileSize) std::memcpy(exact.get(), data, fileSize);
    const std::string_view file(exact.get(), fileSize);

    // What the dialog shows after loading the old file.
    const SettingsValues loaded = settingsFromBytes(file);
    SettingsValues values;
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        // As the save reads the field.
        values.texts[k] = toNarrow(choices[k].text(kIsPort[k], loaded.texts[k]));
    }
    // The account of a failure is written only when one happens.
    const auto context = [&] { return describe(file, values); };

    const std::optional<std::string> saved = settingsSavedInto(file, values);
    if (!saved) propertyFailed("the fields' texts can always be saved", context());
    const bool little = file.starts_with("\xFF\xFE");
    const bool utf16 = little || file.starts_with("\xFE\xFF");
    const auto detail = [&] { return context() + "\nnew file: " + shown(*saved); };

    const SettingsValues reloaded = settingsFromBytes(*saved);
    for (std::size_t k = 0; k < kSettingCount; ++k) {
        const std::string expected = cutAsRead(values.texts[k], utf16);
        if (reloaded.texts[k] != expected)
            propertyFailed("a save then a load gives the values back",
                           std::string(kSettingKeyNames[k]) + " reads back as " + shown(reloaded.texts[k]) +
                               ", not " + shown(expected) + detail());
    }

    if (utf16) {
        std::array<std::u16string, kSettingCount> units;
        for (std::size_t k = 0; k < kSettingCount; ++k) units[k] = utf16Of(values.texts[k]);
        const std::u16string before = unitsOf(file, little), after = unitsOf(*saved, little);
        checkOtherLinesKept<char16_t>(before, after, units, detail);
        // A lone last byte is no unit of any line; it stays where it was, last.
        if (file.size() % 2 == 1 && (saved->size() % 2 == 0 || saved->back() != file.back()))
            propertyFailed("a UTF-16 file's lone last byte stays", detail());
    } else {
        checkOtherLinesKept<char>(file, *saved, values.texts, detail);
    }

    const std::optional<std::string> again = settingsSavedInto(*saved, values);
    if (!again || *again != *saved)
        propertyFailed("a second save of the same values changes nothing",
                       detail() + "\nsecond save: " + (again ? shown(*again) : std::string("refused")));

    // The text layer itself on the exact bytes, without the copy a narrow
    // file's decoding makes.
    (void)profileTextRead(file, kSettingsSection, kSettingKeyNames[0]);
    (void)profileTextWrite(file, kSettingsSection, kSettingKeyNames[6], values.texts[6]);
    return 0;
}
