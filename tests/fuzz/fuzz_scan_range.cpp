// The range of a search for modules, any text, as nolt-cli scan and the
// "Find modules" window read it; and the /24 the window offers for the
// address in the main window's IP field.
//
// Property: the text is refused with a message, or it gives a range of at
// most 1,024 addresses, every one of them inside what the text says (read
// here apart from the tool) and inside the private, link-local or loopback
// blocks. The offered /24 is the one around the address a person reads in
// the field's text, or nothing when it holds no address.
#include "fuzz_check.h"
#include "person_reading.h"
#include "scan/scan_range.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using namespace nolt;
using namespace nolt::fuzz;

namespace {

struct Span {
    std::uint32_t first, last;
};

std::uint32_t hostOrder(const Address& a)
{
    return (std::uint32_t{a[0]} << 24) | (std::uint32_t{a[1]} << 16) | (std::uint32_t{a[2]} << 8) | a[3];
}

std::string_view withoutBlanks(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

std::optional<std::uint32_t> addressOf(std::string_view t)
{
    const auto a = addressIn(withoutBlanks(t));
    return a ? std::optional<std::uint32_t>(hostOrder(*a)) : std::nullopt;
}

// What the text says, read the plain way: "A/N" is the block of A's first N
// bits, "A-B" runs from A to B, "A-n" from A to n within A's /24, "A" is A.
std::optional<Span> whatTheTextSays(std::string_view text)
{
    text = withoutBlanks(text);
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
        const auto base = addressOf(text.substr(0, slash));
        const auto bits = numberIn(text.substr(slash + 1));
        if (!base || !bits || *bits > 32) return std::nullopt;
        const std::uint32_t mask = *bits == 0 ? 0 : ~std::uint32_t{0} << (32 - *bits);
        return Span{*base & mask, *base | ~mask};
    }
    if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        const auto first = addressOf(text.substr(0, dash));
        if (!first) return std::nullopt;
        std::optional<std::uint32_t> last = addressOf(text.substr(dash + 1));
        if (!last) {
            const auto n = numberIn(text.substr(dash + 1));
            if (!n || *n > 255) return std::nullopt;
            last = (*first & 0xFFFFFF00u) | static_cast<std::uint32_t>(*n);
        }
        return Span{*first, *last};
    }
    const auto one = addressOf(text);
    return one ? std::optional<Span>(Span{*one, *one}) : std::nullopt;
}

bool searchable(std::uint32_t a)
{
    const std::uint32_t top = a >> 24, second = (a >> 16) & 0xFF;
    return top == 10 || top == 127 || (top == 172 && second >= 16 && second < 32) ||
           (top == 192 && second == 168) || (top == 169 && second == 254);
}

void checkRange(std::string_view text, const std::string& detail)
{
    const auto parsed = parseScanRange(text);
    if (const auto* error = std::get_if<ScanRangeError>(&parsed)) {
        if (error->message.empty() || error->message.size() > 400)
            propertyFailed("a refusal says why, briefly", detail);
        return;
    }
    const ScanRange& range = std::get<ScanRange>(parsed);
    if (range.last < range.first || range.size() > kMaxScanAddresses)
        propertyFailed("a range holds 1 to 1,024 addresses", detail);
    const auto said = whatTheTextSays(text);
    if (!said || range.first < said->first || range.last > said->last)
        propertyFailed("every address of the range is inside what the text says", detail);
    if (said->first != range.first || said->last != range.last)
        propertyFailed("the range is all that the text says, not a part of it", detail);
    if (!searchable(range.first) || !searchable(range.last) || (range.first >> 24) != (range.last >> 24))
        propertyFailed("a range lies in a private, link-local or loopback block", detail);
}

void checkOfferedRange(std::string_view field, const std::string& detail)
{
    const std::string offered = surroundingSlash24(field);
    const auto address = addressOf(field);
    if (!offered.empty()) {
        if (!address || offered != dottedText(*address & 0xFFFFFF00u) + "/24")
            propertyFailed("the /24 offered is the one around the field's address", detail + "\noffered: " + offered);
    } else if (address && dottedText(*address) == withoutBlanks(field)) {
        propertyFailed("an address written as the IP field writes it is offered its /24", detail);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string detail = "\ntext: " + shown(text);
    checkRange(text, detail);
    checkOfferedRange(text, detail);
    return 0;
}
