#include "link/connect_input.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <cwctype>

namespace nolt {

namespace {
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65534;
constexpr int kMaxFieldDigits = 3;
constexpr unsigned kMaxField = 255;
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
    // Only the form the dialog's address fields write is taken: four
    // decimal numbers with dots between. The socket library's own reading
    // also takes "127.1", octal ("010" is 8), hexadecimal and anything after
    // a blank, forms in which nobody reads the address they give, so a
    // script or a hosts file could reach a module nobody named.
    std::array<std::uint8_t, 4> fields{};
    std::size_t field = 0;
    int digits = 0;
    unsigned value = 0;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9' && digits < kMaxFieldDigits) {
            value = value * 10 + static_cast<unsigned>(c - L'0');
            ++digits;
        } else if (c == L'.' && digits > 0 && field < 3 && value <= kMaxField) {
            fields[field++] = static_cast<std::uint8_t>(value);
            value = 0;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (field != 3 || digits == 0 || value > kMaxField) return std::nullopt;
    fields[3] = static_cast<std::uint8_t>(value);
    // 0.0.0.0, however written, would reach this PC itself; 255.255.255.255
    // is the broadcast address, which the socket library's reading refuses.
    if (fields == std::array<std::uint8_t, 4>{0, 0, 0, 0} || fields == std::array<std::uint8_t, 4>{255, 255, 255, 255})
        return std::nullopt;
    std::uint32_t address = 0;  // network byte order: the first field first in memory
    std::memcpy(&address, fields.data(), fields.size());
    return address;
}

}  // namespace nolt
