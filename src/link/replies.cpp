#include "link/replies.h"

#include "link/status_report.h"
#include "res/resource.h"

#include <cstdint>
#include <string>

namespace nolt {

namespace {

constexpr const wchar_t* kStatusOk = L"Get current movement status successfully";
constexpr const wchar_t* kStatusFailed = L"Failed to get current movement status";
constexpr const wchar_t* kMainStreamOk = L"Code setting succeeded, please power on again.";
constexpr const wchar_t* kMainStreamFailed = L"Coding setting failed";
constexpr const wchar_t* kIpOk = L"IP is set successfully, please power on again.";
constexpr const wchar_t* kIpFailed = L"IP setting failed";
constexpr const wchar_t* kVersionOk = L"Version number query succeeded";
constexpr const wchar_t* kVersionFailed = L"Version number query failed";
constexpr const wchar_t* kStorageOk = L"Information storage succeeded, please power on again.";
constexpr const wchar_t* kStorageFailed = L"Information storage failed";
constexpr const wchar_t* kSubStreamOk = L"Subcode set successfully";
constexpr const wchar_t* kSubStreamFailed = L"Sub stream setting failed";
constexpr const wchar_t* kBandwidth10M = L"Network bandwidth 10m set successfully";
constexpr const wchar_t* kBandwidth100M = L"Network bandwidth 100m set successfully";
constexpr const wchar_t* kBandwidthFailed = L"Network bandwidth setting failed";
constexpr const wchar_t* kDhcpOn = L"DHCP ON";
constexpr const wchar_t* kDhcpOff = L"DHCP OFF";
constexpr const wchar_t* kDhcpFailed = L"DHCP Setup failed";

// Byte 4 of a one-byte command's echo (payload and checksum alike) names the
// state that was set.
constexpr std::size_t kStateByte = 4;

std::vector<Effect> statusReply(const FrameBuffer& f, bool ok)
{
    if (!ok) {
        std::vector<Effect> effects{Effect::log(kStatusFailed)};
        // A damaged report shows zeros rather than stale values.
        for (Effect& e : statusDisplay(FrameBuffer{})) effects.push_back(std::move(e));
        return effects;
    }
    std::vector<Effect> effects = statusDisplay(f);
    effects.push_back(Effect::log(kStatusOk));
    return effects;
}

std::vector<Effect> versionReply(const FrameBuffer& f, bool ok)
{
    if (!ok) return {Effect::log(kVersionFailed)};
    const std::uint32_t raw = (std::uint32_t{f[3]} << 24) | (std::uint32_t{f[4]} << 16)
                              | (std::uint32_t{f[5]} << 8) | std::uint32_t{f[6]};
    const auto version = static_cast<std::int32_t>(raw);
    return {Effect::field(res::IDC_VERSION, decimalText(version)), Effect::log(kVersionOk)};
}

std::vector<Effect> stateReply(const FrameBuffer& f, bool ok, const wchar_t* on, const wchar_t* off,
                               const wchar_t* failed)
{
    if (!ok) return {Effect::log(failed)};
    if (f[kStateByte] == 1) return {Effect::log(on)};
    if (f[kStateByte] == 0) return {Effect::log(off)};
    return {};
}

std::vector<Effect> settingReply(bool ok, const wchar_t* success, const wchar_t* failed, bool withBox)
{
    if (!ok) return {Effect::log(failed)};
    if (withBox) return {Effect::log(success), Effect::box(success, BoxIcon::Exclamation)};
    return {Effect::log(success)};
}

}  // namespace

std::vector<Effect> handleReply(const FrameBuffer& f)
{
    const Verification v = verifyFrame(f);
    if (!v.startOk || !v.known) return {};
    const bool ok = v.checksumOk;
    switch (v.code) {
    case code::kStatus: return statusReply(f, ok);
    case code::kMainStream: return settingReply(ok, kMainStreamOk, kMainStreamFailed, true);
    case code::kIpSettings: return settingReply(ok, kIpOk, kIpFailed, true);
    case code::kVersion: return versionReply(f, ok);
    case code::kInfoStorage:
        if (!ok) return {Effect::log(kStorageFailed)};
        return {Effect::log(kStorageOk), Effect::linkReset()};
    case code::kSubStream: return settingReply(ok, kSubStreamOk, kSubStreamFailed, false);
    case code::kBandwidth: return stateReply(f, ok, kBandwidth10M, kBandwidth100M, kBandwidthFailed);
    case code::kDhcp: return stateReply(f, ok, kDhcpOn, kDhcpOff, kDhcpFailed);
    default: return {};
    }
}

}  // namespace nolt
