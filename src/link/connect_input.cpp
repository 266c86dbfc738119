#include "link/connect_input.h"

#include "platform/tcp_socket.h"

#include <cstdint>
#include <cwctype>

namespace nolt {

namespace {
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65534;
constexpr std::size_t kAddressTextCapacity = 31;  // a 32-byte buffer with its terminator
constexpr const wchar_t* kUnspecifiedAddress = L"0.0.0.0";
}  // namespace

int readPortText(const std::wstring& text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && std::iswspace(text[i])) ++i;
    const bool negative = i < n && text[i] == L'-';
    if (negative) ++i;
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT32_MAX + std::int64_t{1}) return 0;
    }
    while (i < n && std::iswspace(text[i])) ++i;
    if (digits == 0 || i != n) return 0;
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return 0;
    return static_cast<int>(value);
}

bool connectInputAcceptable(const std::wstring& address, int port)
{
    return address != kUnspecifiedAddress && port >= kMinPort && port <= kMaxPort;
}

std::optional<std::uint32_t> readAddressText(const std::wstring& text)
{
    // Only ASCII can be part of a dotted address; anything else becomes a
    // character that makes the parse fail rather than a lookalike digit.
    std::string narrow;
    for (wchar_t c : text.substr(0, kAddressTextCapacity))
        narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return parseDottedAddress(narrow);
}

}  // namespace nolt
