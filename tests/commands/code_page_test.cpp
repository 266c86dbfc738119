#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace nolt {
namespace {

TEST(CodePage, AsciiIsUnchanged)
{
    EXPECT_EQ(toNarrow(L"rtmp://192.168.2.119/live"), "rtmp://192.168.2.119/live");
    EXPECT_EQ(fromNarrow("rtmp://a/b"), L"rtmp://a/b");
    EXPECT_EQ(toNarrow(L""), "");
}

}  // namespace
}  // namespace nolt
