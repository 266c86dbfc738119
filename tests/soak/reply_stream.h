// A long stream of replies whose log lines can be checked in order: the
// version reports carry a running number, so a lost, doubled or reordered
// reply shows as a wrong number at the place it happened.
#pragma once

#include "link/frame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nolt::test {

struct ExpectedReply {
    std::wstring logLine;
    std::wstring versionText;  // the version field's text, for version reports
};

class ReplyStream {
public:
    // `count` replies in a fixed rotation of five kinds.
    explicit ReplyStream(int count)
    {
        const std::uint8_t status[] = {0x19, 0x32, 0x07, 0x80, 0x04, 0x38, 0x05, 0x00, 0x02, 0xD0};
        const std::uint8_t one[] = {0x01};
        const std::uint8_t zero[] = {0x00};
        for (int i = 0; i < count; ++i) {
            Bytes frame;
            switch (i % 5) {
            case 0: {
                const auto n = static_cast<std::uint32_t>(i);
                const std::uint8_t version[] = {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8),
                                                std::uint8_t(n)};
                frame = buildFrame(code::kVersion, version);
                expected_.push_back({L"Version number query succeeded", std::to_wstring(i)});
                break;
            }
            case 1:
                frame = buildFrame(code::kSubStream, {});
                expected_.push_back({L"Subcode set successfully", {}});
                break;
            case 2:
                frame = buildFrame(code::kBandwidth, one);
                expected_.push_back({L"Network bandwidth 10m set successfully", {}});
                break;
            case 3:
                frame = buildFrame(code::kDhcp, zero);
                expected_.push_back({L"DHCP OFF", {}});
                break;
            default:
                frame = buildFrame(code::kStatus, status);
                expected_.push_back({L"Get current movement status successfully", {}});
                break;
            }
            bytes_.insert(bytes_.end(), frame.begin(), frame.end());
        }
    }

    const Bytes& bytes() const { return bytes_; }
    const std::vector<ExpectedReply>& expected() const { return expected_; }

private:
    Bytes bytes_;
    std::vector<ExpectedReply> expected_;
};

}  // namespace nolt::test
