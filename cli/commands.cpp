#include "cli/commands.h"

#include "cli/text.h"
#include "commands/push_address_text.h"
#include "commands/stream_rules.h"
#include "res/list_items.h"

#include <algorithm>
#include <cctype>

namespace nolt::cli {

namespace {

// Lower case, with blanks, hyphens and underscores dropped and "*" read as
// "x", so "by-frame", "By Frame" and "BY_FRAME" are one spelling.
std::string normalised(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_') continue;
        if (c == '*') c = 'x';
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The spellings an item goes by: its text, and its first word alone when the
// rest only repeats what the list is ("25" for "25 frame", "RTMP" for
// "RTMP  to network").
std::vector<std::string> spellings(std::wstring_view item)
{
    const std::string full = normalised(utf8(item));
    std::vector<std::string> out{full};
    for (std::string_view tail : {"frame", "tonetwork"}) {
        if (full.size() > tail.size() && full.ends_with(tail)) out.push_back(full.substr(0, full.size() - tail.size()));
    }
    return out;
}

InputError usage(std::string_view command, const std::string& why) { return {usageMessage(command, why)}; }

// The dialog rebuilds the bit-rate list for some resolutions; a bit rate the
// rebuilt list lacks cannot be chosen there and is refused here.
std::optional<InputError> checkBitRate(std::string_view command, std::optional<BitRateForm> form, int bitRate,
                                       Items resolutions, int resolution)
{
    const Items offered = bitRateItems(form.value_or(BitRateForm::Long));
    if (bitRate < static_cast<int>(offered.size())) return std::nullopt;
    return usage(command, "--bitrate " + utf8(res::kBitRateListItems[static_cast<std::size_t>(bitRate)]) +
                              " is not offered with --resolution " +
                              utf8(resolutions[static_cast<std::size_t>(resolution)]) + " (" + itemList(offered) + ")");
}

Request frameRequest(std::string command, Bytes bytes, std::uint8_t replyCode)
{
    Request r;
    r.command = std::move(command);
    r.bytes = std::move(bytes);
    r.replyCode = replyCode;
    return r;
}

// A choice between two words, for the radio buttons.
std::optional<bool> twoWay(const std::string& text, const char* first, const char* second)
{
    const std::string n = normalised(text);
    if (n == first) return true;
    if (n == second) return false;
    return std::nullopt;
}

}  // namespace

int findItem(Items items, const std::string& text)
{
    const std::string wanted = normalised(text);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto names = spellings(items[i]);
        if (std::find(names.begin(), names.end(), wanted) != names.end()) return static_cast<int>(i);
    }
    return -1;
}

std::string itemList(Items items)
{
    std::string out;
    for (std::wstring_view item : items) {
        if (!out.empty()) out += ", ";
        const std::string text = utf8(item);
        out += text.find(' ') == std::string::npos ? text : "\"" + text + "\"";
    }
    return out;
}

bool addressShaped(const std::string& text)
{
    int fields = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        const std::string field = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (field.empty() || field.size() > 3 || !std::all_of(field.begin(), field.end(), [](char c) {
                return c >= '0' && c <= '9';
            }) || std::stoi(field) > 255)
            return false;
        ++fields;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return fields == 4;
}

Request statusRequest() { return frameRequest("status", statusQueryFrame(), code::kStatus); }
Request versionRequest() { return frameRequest("version", versionQueryFrame(), code::kVersion); }

Request getPushAddressRequest()
{
    Request r;
    r.command = "get-push-addr";
    r.bytes.assign(kPushAddressRequest.begin(), kPushAddressRequest.end());
    r.await = Request::Await::PushAddress;
    return r;
}

Request setPushAddressRequest(const std::string& url)
{
    Request r;
    r.command = "set-push-addr";
    r.bytes.assign(url.begin(), url.end());
    r.await = Request::Await::Nothing;
    return r;
}

CommandParse mainStreamRequest(const MainStreamSelection& s)
{
    const std::string command = "set-main-stream";
    const StreamSelection& l = s.lists;
    if (auto error = checkBitRate(command, mainBitRateFormFor(l.resolution), l.bitRate, res::kMainResolutionItems,
                                  l.resolution))
        return *error;
    Request r = frameRequest(command, *mainStreamFrame(s), code::kMainStream);
    if (mainStreamNeedsWarning(l.frameRate, l.pushMode, l.packet)) r.warnings.emplace_back(kUnplayableWarning);
    return r;
}

CommandParse subStreamRequest(const StreamSelection& s)
{
    const std::string command = "set-sub-stream";
    // The list starts in its long form and only two resolutions rebuild it.
    if (auto error = checkBitRate(command, subBitRateFormFor(s.resolution), s.bitRate, res::kSubResolutionItems,
                                  s.resolution))
        return *error;
    return frameRequest(command, *subStreamFrame(s), code::kSubStream);
}

CommandParse subStreamSwitchRequest(const std::string& word)
{
    if (normalised(word) != "off")
        return usage("sub-stream", "\"" + word + "\" is not off (switching on sends nothing: use set-sub-stream)");
    return frameRequest("sub-stream", subStreamOffFrame(), code::kSubStream);
}

CommandParse bandwidthRequest(const std::string& word)
{
    const auto tenM = twoWay(word, "10m", "100m");
    if (!tenM) return usage("bandwidth", "\"" + word + "\" is not 10M or 100M");
    Request r = frameRequest("bandwidth", bandwidthFrame(*tenM ? Bandwidth::Mbit10 : Bandwidth::Mbit100),
                             code::kBandwidth);
    r.state = *tenM ? 1 : 0;
    return r;
}

CommandParse dhcpRequest(const std::string& word)
{
    const auto on = twoWay(word, "on", "off");
    if (!on) return usage("dhcp", "\"" + word + "\" is not on or off");
    Request r = frameRequest("dhcp", dhcpFrame(*on), code::kDhcp);
    r.state = *on ? 1 : 0;
    return r;
}

CommandParse setIpRequest(const SaveIpTexts& texts)
{
    const SaveIpOutcome outcome = checkSaveIp(texts);
    if (const auto* failure = std::get_if<IpCheckFailure>(&outcome)) return InputError{utf8(failure->message)};
    return frameRequest("set-ip", std::get<Bytes>(outcome), code::kIpSettings);
}

}  // namespace nolt::cli
