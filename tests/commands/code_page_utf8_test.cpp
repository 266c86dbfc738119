#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace nolt {
namespace {

// Beyond ASCII the narrow form depends on the Windows code page; elsewhere it
// is UTF-8 and every character survives the round trip.
TEST(CodePage, RoundTrips)
{
    const std::wstring texts[] = {L"", L"本地连接", L"以太网 ü €", L"\U0001F600"};
    for (const auto& t : texts) EXPECT_EQ(fromNarrow(toNarrow(t)), t);
}

TEST(CodePage, Utf8Bytes)
{
    EXPECT_EQ(toNarrow(L"A\u00FC\u20AC\U0001F600"), "A\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(fromNarrow("\xE4\xBB\xA5"), L"以");
}

TEST(CodePage, InvalidInputBecomesReplacementCharacters)
{
    const std::wstring bad{static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'x',
                           static_cast<wchar_t>(-1)};
    EXPECT_EQ(toNarrow(bad), "\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD");
    const struct { std::string_view narrow; std::wstring wide; } cases[] = {
        {"\xFF" "a", L"\uFFFDa"},
        {"\xC3", L"\uFFFD"},                      // truncated at the end
        {"\xE2\x82" "a", L"\uFFFDa"},            // truncated, next byte decoded afresh
        {"\xC0\xAF", L"\uFFFD\uFFFD"},           // overlong
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {std::string_view("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(fromNarrow(c.narrow), c.wide);
}

}  // namespace
}  // namespace nolt
