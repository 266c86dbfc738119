// The range of a search for modules, any text, as nolt-cli scan and the
// "Find modules" window read it; and the /24 the window offers for the
// address in the main window's IP field.
//
// Property: the text is refused with a message, or it gives a range of at
// most 1,024 addresses, every one of them inside what the text says (read
// here apart from the tool) and inside the private, link-local or loopback
// blocks. And the other way round: a text written plainly in one of the
// forms whose range lies inside one of those blocks and holds at most
// 1,024 addresses is taken. The offered /24 is the one around the address a
// person reads in the field's text, or nothing when it holds no address.
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

// The blocks a search may cover, first and last address: the private ones,
// link-local addresses and loopback.
constexpr Span kAllowed[] = {
    {0x0A000000, 0x0AFFFFFF},  // 10.0.0.0 - 10.255.255.255
    {0xAC100000, 0xAC1FFFFF},  // 172.16.0.0 - 172.31.255.255
    {0xC0A80000, 0xC0A8FFFF},  // 192.168.0.0 - 192.168.255.255
    {0xA9FE0000, 0xA9FEFFFF},  // 169.254.0.0 - 169.254.255.255
    {0x7F000000, 0x7FFFFFFF},  // 127.0.0.0 - 127.255.255.255
};

bool insideOneAllowedBlock(const Span& s)
{
    for (const Span& block : kAllowed)
        if (s.first >= block.first && s.last <= block.last) return true;
    return false;
}

// Written as the forms are shown: digits, dots, one "/" or "-", spaces and
// tabs around the parts, numbers of one to three digits (a prefix of one or
// two). Other ways of writing the same numbers may be refused.
bool plainlyWritten(std::string_view t)
{
    const std::size_t slash = t.find('/');
    std::size_t run = 0;
    for (std::size_t i = 0; i <= t.size(); ++i) {
        const char c = i < t.size() ? t[i] : ' ';
        if (c >= '0' && c <= '9') {
            ++run;
            continue;
        }
        if (run > (slash != std::string_view::npos && i > slash ? 2u : 3u)) return false;
        run = 0;
        if (c != '.' && c != '/' && c != '-' && c != ' ' && c != '\t') return false;
    }
    return true;
}

void checkRange(std::string_view text, const std::string& detail)
{
    const auto parsed = parseScanRange(text);
    if (const auto* error = std::get_if<ScanRangeError>(&parsed)) {
        if (error->message.empty() || error->message.size() > 400)
            propertyFailed("a refusal says why, briefly", detail);
        const auto said = plainlyWritten(text) ? whatTheTextSays(text) : std::nullopt;
        if (said && said->first <= said->last && said->last - said->first < kMaxScanAddresses &&
            insideOneAllowedBlock(*said))
            propertyFailed("a plainly written range inside one allowed block, of at most 1,024 addresses, is taken",
                           detail + "\nrefused with: " + error->message);
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
    if (!insideOneAllowedBlock({range.first, range.last}))
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
