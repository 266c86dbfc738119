#include "platform/code_page.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>
#else
#include <cstdint>
#endif

namespace nolt {

#ifdef _WIN32

std::string toNarrow(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(wide.size());
    const int outLen = WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (outLen <= 0) return {};
    std::string out(static_cast<std::size_t>(outLen), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLen, out.data(), outLen, nullptr, nullptr);
    return out;
}

std::wstring fromNarrow(std::string_view narrow)
{
    if (narrow.empty() || narrow.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(narrow.size());
    const int outLen = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLen, nullptr, 0);
    if (outLen <= 0) return {};
    std::wstring out(static_cast<std::size_t>(outLen), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLen, out.data(), outLen);
    return out;
}

#else

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalarValue(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (!isScalarValue(c)) c = kReplacement;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[pos]. On a malformed sequence it yields
// U+FFFD and consumes only the maximal valid prefix (at least one byte), so
// the following bytes are decoded afresh.
char32_t decodeOne(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos++);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t c = 0;
    std::uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) { extra = 1; c = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2; c = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3; c = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return kReplacement;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) return kReplacement;
        const std::uint8_t b = byte(pos);
        if (b < lo || b > hi) return kReplacement;
        lo = 0x80;
        hi = 0xBF;
        c = (c << 6) | (b & 0x3F);
        ++pos;
    }
    return c;
}

}  // namespace

// wchar_t holds one UTF-32 code unit here.
std::string toNarrow(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide) appendUtf8(out, static_cast<char32_t>(w));
    return out;
}

std::wstring fromNarrow(std::string_view narrow)
{
    std::wstring out;
    out.reserve(narrow.size());
    std::size_t pos = 0;
    while (pos < narrow.size()) out.push_back(static_cast<wchar_t>(decodeOne(narrow, pos)));
    return out;
}

#endif

}  // namespace nolt
