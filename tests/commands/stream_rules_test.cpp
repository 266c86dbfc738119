#include "commands/stream_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace nolt {
namespace {

std::vector<std::wstring_view> items(BitRateForm form)
{
    const auto span = bitRateItems(form);
    return {span.begin(), span.end()};
}

TEST(StreamRules, BitRateForms)
{
    EXPECT_EQ(items(BitRateForm::Short), (std::vector<std::wstring_view>{L"1M", L"1.5M", L"2M", L"3M", L"4M"}));
    EXPECT_EQ(items(BitRateForm::Long),
              (std::vector<std::wstring_view>{L"1M", L"1.5M", L"2M", L"3M", L"4M", L"5M", L"6M", L"7M", L"8M"}));
}

TEST(StreamRules, ResolutionDecidesTheBitRateForm)
{
    using F = std::optional<BitRateForm>;
    const struct { int index; F main; F sub; } cases[] = {
        {-1, std::nullopt, std::nullopt},
        {0, BitRateForm::Short, BitRateForm::Short},
        {1, BitRateForm::Long, BitRateForm::Long},
        {2, BitRateForm::Long, std::nullopt},
        {3, std::nullopt, std::nullopt},
        {5, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mainBitRateFormFor(c.index), c.main) << c.index;
        EXPECT_EQ(subBitRateFormFor(c.index), c.sub) << c.index;
    }
}

TEST(StreamRules, WarningOnlyForThirtyFramesRtspByFrame)
{
    EXPECT_TRUE(mainStreamNeedsWarning(1, 1, 1));
    const int others[][3] = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}, {-1, 1, 1}, {1, 3, 1}};
    for (const auto& o : others) EXPECT_FALSE(mainStreamNeedsWarning(o[0], o[1], o[2]));
}

TEST(StreamRules, PushModesAndSelectionRule)
{
    EXPECT_TRUE(isUdpBareFlow(0));
    EXPECT_FALSE(isUdpBareFlow(-1));
    EXPECT_FALSE(isUdpBareFlow(1));
    EXPECT_TRUE(isRtmpPush(3));
    EXPECT_FALSE(isRtmpPush(2));
    const int all[] = {0, 8, 1};
    const int oneMissing[] = {0, -1, 1};
    const int beyondNine[] = {0, 9, 1};
    EXPECT_TRUE(allListsSelected(all));
    EXPECT_FALSE(allListsSelected(oneMissing));
    EXPECT_FALSE(allListsSelected(beyondNine));
}

}  // namespace
}  // namespace nolt
