#include "cli/text.h"

#include "platform/utf8.h"

#include <cstdio>

namespace nolt::cli {

std::string utf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        // wchar_t is UTF-16 on Windows: join surrogate pairs.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::wstring wide(std::string_view utf8Text)
{
    std::wstring out;
    std::size_t pos = 0;
    while (pos < utf8Text.size()) {
        const char32_t c = decodeUtf8(utf8Text, pos);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
                out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::string secondsText(double seconds)
{
    char text[32];
    if (seconds < 1.0) std::snprintf(text, sizeof text, "%.0f ms", seconds * 1000.0);
    else std::snprintf(text, sizeof text, "%.3g s", seconds);
    return text;
}

std::string usageMessage(std::string_view command, std::string_view why)
{
    const std::string program = command.empty() ? "nolt-cli" : "nolt-cli " + std::string(command);
    return program + ": " + std::string(why) + "\nTry '" + program + " --help'.";
}

}  // namespace nolt::cli
