#include "scan/scan_range.h"

#include <array>
#include <atomic>
#include <cstdlib>

namespace nolt {

namespace {

// Where modules on a local network can be: the private blocks, link-local
// addresses and the machine's own loopback block.
struct Block {
    std::uint32_t first;
    int prefix;
};
constexpr std::array kSearchable{
    Block{0x0A000000, 8},   // 10.0.0.0/8
    Block{0xAC100000, 12},  // 172.16.0.0/12
    Block{0xC0A80000, 16},  // 192.168.0.0/16
    Block{0xA9FE0000, 16},  // 169.254.0.0/16
    Block{0x7F000000, 8},   // 127.0.0.0/8
};
constexpr const char* kSearchableText =
    "only private (10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16), link-local (169.254.0.0/16) "
    "and loopback (127.0.0.0/8) addresses are searched";
constexpr const char* kForms = "write it as 192.168.2.0/24, 192.168.2.10-192.168.2.60 or 192.168.2.10-60";

constexpr std::uint32_t maskOf(int prefix) { return prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix); }

// The text quoted in a message, cut short when it is long.
std::string quoted(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    std::string out(1, '"');
    out.append(text.substr(0, kLongest));
    if (text.size() > kLongest) out.append("...");
    out.push_back('"');
    return out;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A decimal number of one to `digits` digits, at most `highest`.
std::optional<std::uint32_t> readNumber(std::string_view text, std::size_t digits, std::uint32_t highest)
{
    if (text.empty() || text.size() > digits) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > highest) return std::nullopt;
    return value;
}

// Four decimal numbers 0 to 255 joined by dots, nothing else.
std::optional<std::uint32_t> readAddress(std::string_view text)
{
    std::uint32_t address = 0;
    for (int field = 0; field < 4; ++field) {
        const std::size_t dot = field < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) return std::nullopt;
        const auto value = readNumber(text.substr(0, dot), 3, 255);
        if (!value) return std::nullopt;
        address = (address << 8) | *value;
        text.remove_prefix(field < 3 ? dot + 1 : dot);
    }
    return address;
}

ScanRangeError notAnAddress(std::string_view text)
{
    return {quoted(trimmed(text)) + " is not an address of four numbers 0 to 255; " + kForms};
}

std::variant<ScanRange, ScanRangeError> readSlashForm(std::string_view address, std::string_view prefixText)
{
    const auto base = readAddress(trimmed(address));
    if (!base) return notAnAddress(address);
    const auto prefix = readNumber(trimmed(prefixText), 2, 32);
    if (!prefix) return ScanRangeError{quoted(trimmed(prefixText)) + " after \"/\" is not a prefix length 0 to 32"};
    const std::uint32_t mask = maskOf(static_cast<int>(*prefix));
    return ScanRange{*base & mask, *base | ~mask};
}

// "a.b.c.d-e.f.g.h", or "a.b.c.d-h" for a last number within a.b.c.
std::variant<ScanRange, ScanRangeError> readDashForm(std::string_view from, std::string_view to)
{
    const auto first = readAddress(trimmed(from));
    if (!first) return notAnAddress(from);
    std::optional<std::uint32_t> last = readAddress(trimmed(to));
    if (!last) {
        const auto lastNumber = readNumber(trimmed(to), 3, 255);
        if (!lastNumber) return notAnAddress(to);
        last = (*first & 0xFFFFFF00) | *lastNumber;
    }
    if (*last < *first)
        return ScanRangeError{"the range ends (" + dottedText(*last) + ") before it starts (" + dottedText(*first) + ")"};
    return ScanRange{*first, *last};
}

const Block* blockOf(std::uint32_t address)
{
    for (const Block& b : kSearchable)
        if ((address & maskOf(b.prefix)) == b.first) return &b;
    return nullptr;
}

// The first address of the range outside every searchable block, if any.
// The blocks do not touch each other, so a range lies in one of them or
// leaves it.
std::optional<std::uint32_t> firstUnsearchable(const ScanRange& range)
{
    const Block* block = blockOf(range.first);
    if (!block) return range.first;
    const std::uint32_t blockLast = block->first | ~maskOf(block->prefix);
    if (range.last <= blockLast) return std::nullopt;
    return blockLast + 1;
}

std::optional<ScanRangeError> refusal(const ScanRange& range, std::string_view text)
{
    if (const auto outside = firstUnsearchable(range))
        return ScanRangeError{quoted(text) + " holds " + dottedText(*outside) +
                              ", which is no address of a local network; " + kSearchableText};
    if (range.size() > kMaxScanAddresses)
        return ScanRangeError{quoted(text) + " holds " + std::to_string(range.size()) + " addresses; at most " +
                              std::to_string(kMaxScanAddresses) + " are searched at once"};
    return std::nullopt;
}

}  // namespace

std::variant<ScanRange, ScanRangeError> parseScanRange(std::string_view text)
{
    const std::string_view t = trimmed(text);
    if (t.empty()) return ScanRangeError{std::string("no range given: ") + kForms};
    std::variant<ScanRange, ScanRangeError> parsed;
    if (const std::size_t slash = t.find('/'); slash != std::string_view::npos)
        parsed = readSlashForm(t.substr(0, slash), t.substr(slash + 1));
    else if (const std::size_t dash = t.find('-'); dash != std::string_view::npos)
        parsed = readDashForm(t.substr(0, dash), t.substr(dash + 1));
    else if (const auto one = readAddress(t))
        parsed = ScanRange{*one, *one};
    else
        parsed = notAnAddress(t);
    if (const auto* range = std::get_if<ScanRange>(&parsed))
        if (auto error = refusal(*range, t)) return *error;
    return parsed;
}

std::string dottedText(std::uint32_t a)
{
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 8) & 0xFF) +
           "." + std::to_string(a & 0xFF);
}

std::string surroundingSlash24(std::string_view address)
{
    const auto parsed = readAddress(trimmed(address));
    if (!parsed) return {};
    return dottedText(*parsed & 0xFFFFFF00) + "/24";
}

namespace {
std::atomic<bool> g_loopbackOnly{false};
}

void limitScansToLoopback()
{
    g_loopbackOnly = true;
}

std::optional<std::string> scanRefusedHere(const ScanRange& range)
{
    const char* variable = std::getenv(kScanLoopbackOnlyVariable);
    const bool bySetting = variable && *variable;
    if (!g_loopbackOnly.load() && !bySetting) return std::nullopt;
    if ((range.first >> 24) == 127 && (range.last >> 24) == 127) return std::nullopt;
    if (bySetting)
        return std::string("this process may search 127.0.0.0/8 only: ") + kScanLoopbackOnlyVariable +
               " is set, which limits searches to the machine's own addresses";
    return "this process may search 127.0.0.0/8 only: it limits its searches to the machine's own addresses";
}

}  // namespace nolt
