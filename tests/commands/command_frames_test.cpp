#include "commands/command_frames.h"

#include <gtest/gtest.h>

#include "commands/hex.h"

namespace nolt {
namespace {

using test::hex;

TEST(SelectionCode, PositionPlusOneUpToNineElseZero)
{
    const std::pair<int, int> cases[] = {{-1, 0}, {0, 1}, {4, 5}, {8, 9}, {9, 0}, {-2, 0}, {1000, 0}};
    for (auto [index, code] : cases) EXPECT_EQ(SelectionCode(index), code) << index;
}

TEST(CommandFrames, ConstantFrames)
{
    EXPECT_EQ(statusQueryFrame(), hex("AA 01 01 01 01"));
    EXPECT_EQ(versionQueryFrame(), hex("AA 05 01 01 01"));
    EXPECT_EQ(subStreamOffFrame(), hex("AA 10 06 00 00 00 00 00 00 00"));
    EXPECT_EQ(bandwidthFrame(Bandwidth::Mbit10), hex("AA 20 01 01 01"));
    EXPECT_EQ(bandwidthFrame(Bandwidth::Mbit100), hex("AA 20 01 00 00"));
    EXPECT_EQ(dhcpFrame(true), hex("AA 21 01 01 01"));
    EXPECT_EQ(dhcpFrame(false), hex("AA 21 01 00 00"));
}

TEST(CommandFrames, MainStreamPayloadPutsBitRateBeforeResolution)
{
    // "1080P", "4M", "RTSP", "H264", "25 frame", "By Slice", "MP4".
    const MainStreamSelection s{
        .lists = {.bitRate = 4, .resolution = 1, .pushMode = 1, .encoder = 0, .frameRate = 0, .packet = 0},
        .record = 0};
    EXPECT_EQ(mainStreamFrame(s), hex("AA 02 07 05 02 02 01 01 01 01 0D"));
}

TEST(CommandFrames, MainStreamRefusedOnlyWhenEveryCodeIsZero)
{
    EXPECT_FALSE(mainStreamFrame({}));
    // Index 9 gives code 0 as well: still nothing to send.
    EXPECT_FALSE(mainStreamFrame({.lists = {.bitRate = 9}}));
    EXPECT_EQ(mainStreamFrame({.lists = {}, .record = 2}), hex("AA 02 07 00 00 00 00 00 00 03 03"));
}

TEST(CommandFrames, SubStream)
{
    // "1920*1080", "8M", "RTMP  to network", "H265", "30 frame", "By Frame".
    const StreamSelection s{.bitRate = 8, .resolution = 1, .pushMode = 1, .encoder = 1,
                               .frameRate = 1, .packet = 1};
    EXPECT_EQ(subStreamFrame(s), hex("AA 10 06 09 02 02 02 02 02 13"));
    EXPECT_FALSE(subStreamFrame({}));
    EXPECT_EQ(subStreamFrame({.packet = 0}), hex("AA 10 06 00 00 00 00 00 01 01"));
}

TEST(CommandFrames, IpSettingsWithAndWithoutUdpTarget)
{
    IpSettings s;
    s.camera = {192, 168, 2, 119};
    s.gateway = {192, 168, 2, 1};
    s.dns = {0, 0, 0, 0};
    s.mask = {255, 255, 255, 0};
    EXPECT_EQ(ipSettingsFrame(s),
              hex("AA 04 16 00 00 00 0E 00 00 C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 57"));
    s.udp = UdpTarget{{192, 168, 5, 3}, 23003};
    EXPECT_EQ(ipSettingsFrame(s),
              hex("AA 04 16 C0 A8 05 03 59 DB C0 A8 02 77 C0 A8 02 01 00 00 00 00 FF FF FF 00 ED"));
}

}  // namespace
}  // namespace nolt
