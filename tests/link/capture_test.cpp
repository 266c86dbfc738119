// The recorder of the tool's traffic: pcapng blocks, TCP segments with
// their checksums, connections whose numbers stay consistent whatever
// blocks come, several threads into one file, and failed writes.
#include "capture/capture_connection.h"
#include "capture/capture_file.h"
#include "capture/pcapng_blocks.h"
#include "platform/block_file.h"
#include "support/capture_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace nolt {
namespace {

using capture::CaptureConnection;
using capture::CaptureFile;
using Side = CaptureConnection::Side;
using Bytes = std::vector<std::uint8_t>;

// A file in memory whose writes fail from block `failFrom` on (0: never).
struct MemoryFile {
    Bytes bytes;
    int blocks = 0;
    int failFrom = 0;
    CaptureFile::BlockWriter writer()
    {
        return [this](std::span<const std::uint8_t> block, int* error) {
            if (failFrom && ++blocks >= failFrom) {
                *error = 28;
                return false;
            }
            bytes.insert(bytes.end(), block.begin(), block.end());
            return true;
        };
    }
};

const ConnectionEndpoints kEnds{{0x0100007F, 50123}, {0x0500007F, 2000}};  // 127.0.0.1 -> 127.0.0.5

Bytes filled(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), seed);
    return b;
}

TEST(CaptureBlocks, EveryBlockIsWholeAndPaddedAndItsPacketKeepsItsTime)
{
    using namespace std::chrono;
    const auto when = system_clock::time_point(microseconds(0x123456789ABCDEull));
    for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 1500u}) {
        const Bytes block = capture::enhancedPacketBlock(when, filled(n, 1));
        ASSERT_EQ(block.size() % 4, 0u) << n;
        EXPECT_EQ(block.size(), 32 + (n + 3) / 4 * 4) << n;
        EXPECT_EQ(test::capture_detail::le32(block, 4), block.size());
        EXPECT_EQ(test::capture_detail::le32(block, block.size() - 4), block.size());
        EXPECT_EQ(test::capture_detail::le32(block, 12), 0x123456u) << "high half of the time";
        EXPECT_EQ(test::capture_detail::le32(block, 16), 0x789ABCDEu) << "low half of the time";
        EXPECT_EQ(test::capture_detail::le32(block, 20), n);
    }
    for (const char* application : {"", "a", "nolt-pcclient 1.0.0"}) {
        const Bytes header = capture::sectionHeaderBlock(application);
        EXPECT_EQ(header.size() % 4, 0u);
        EXPECT_EQ(test::capture_detail::le32(header, header.size() - 4), header.size());
        EXPECT_EQ(header.size(), 28 + (std::strlen(application) + 3) / 4 * 4 + (*application ? 8 : 0)) << application;
        const std::string text(header.begin(), header.end());
        if (*application) {
            EXPECT_NE(text.find(application), std::string::npos);
        }
    }
}

struct Block {
    Side from;
    std::size_t size;
};

struct ConnectionCase {
    const char* name;
    std::vector<Block> blocks;
    Side closer;
};

const ConnectionCase kConnectionCases[] = {
    {"a command and its reply", {{Side::Tool, 5}, {Side::Module, 14}}, Side::Tool},
    {"empty blocks leave no segment", {{Side::Tool, 0}, {Side::Module, 0}, {Side::Tool, 5}, {Side::Module, 0}},
     Side::Module},
    {"blocks at the segment size", {{Side::Tool, 1459}, {Side::Tool, 1460}, {Side::Tool, 1461}, {Side::Module, 2920}},
     Side::Tool},
    {"a reply in pieces of 5 bytes", {{Side::Tool, 5}, {Side::Module, 5}, {Side::Module, 5}, {Side::Module, 4}},
     Side::Module},
    {"a one-way stream longer than the window", {{Side::Module, 100000}, {Side::Tool, 5}, {Side::Module, 70000}},
     Side::Tool},
};

TEST(CaptureConnectionTest, BlocksBecomeSegmentsWithConsistentNumbersAndACleanClose)
{
    for (const ConnectionCase& c : kConnectionCases) {
        SCOPED_TRACE(c.name);
        MemoryFile memory;
        auto file = CaptureFile::create(memory.writer(), "memory", "test", nullptr);
        ASSERT_TRUE(file);
        auto connection = file->beginConnection(kEnds);
        Bytes toModule, toTool;
        std::size_t dataSegments = 0;
        std::uint8_t seed = 0;
        for (const Block& b : c.blocks) {
            const Bytes bytes = filled(b.size, seed += 7);
            if (b.from == Side::Tool) {
                connection->sent(bytes);
                toModule.insert(toModule.end(), bytes.begin(), bytes.end());
            } else {
                connection->received(bytes);
                toTool.insert(toTool.end(), bytes.begin(), bytes.end());
            }
            dataSegments += (b.size + CaptureConnection::kMss - 1) / CaptureConnection::kMss;
        }
        connection->close(c.closer);
        connection->sent(filled(5, 1));  // after the close: not recorded

        const test::CaptureContents contents = test::readCapture(memory.bytes);
        ASSERT_TRUE(contents.wellFormed);
        EXPECT_EQ(contents.linkType, capture::kLinkTypeRawIp);
        const test::FollowedConnection f = test::followConnection(contents.segments);
        EXPECT_EQ(f.problems, std::vector<std::string>{});
        EXPECT_EQ(f.toModule, toModule);
        EXPECT_EQ(f.toTool, toTool);
        EXPECT_EQ(f.closer, c.closer == Side::Tool ? test::FollowedConnection::Closer::Tool
                                                   : test::FollowedConnection::Closer::Module);
        std::size_t withData = 0;
        for (const auto& s : contents.segments) withData += !s.payload.empty();
        EXPECT_EQ(withData, dataSegments);
        const auto& first = contents.segments.front();
        EXPECT_EQ(first.from, 0x7F000001u);
        EXPECT_EQ(first.to, 0x7F000005u);
        EXPECT_EQ(first.fromPort, 50123);
        EXPECT_EQ(first.toPort, 2000);
    }
}

// Connections of several modules, each recorded from a thread of its own.
TEST(CaptureFileTest, ConnectionsFromSeveralThreadsStayApartInOneFile)
{
    MemoryFile memory;
    auto file = CaptureFile::create(memory.writer(), "memory", "test", nullptr);
    ASSERT_TRUE(file);
    constexpr int kThreads = 4, kBlocks = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ConnectionEndpoints ends = kEnds;
            ends.local.port = static_cast<std::uint16_t>(40000 + t);
            auto connection = file->beginConnection(ends);
            for (int i = 0; i < kBlocks; ++i) {
                connection->sent(filled(5, static_cast<std::uint8_t>(t)));
                connection->received(filled(14, static_cast<std::uint8_t>(i)));
            }
            connection->close(Side::Tool);
        });
    }
    for (auto& t : threads) t.join();
    const auto connections = test::byConnection(test::readCapture(memory.bytes));
    ASSERT_EQ(connections.size(), static_cast<std::size_t>(kThreads));
    for (const auto& [port, segments] : connections) {
        SCOPED_TRACE(port);
        const test::FollowedConnection f = test::followConnection(segments);
        EXPECT_EQ(f.problems, std::vector<std::string>{});
        EXPECT_EQ(f.toModule.size(), 5u * kBlocks);
        EXPECT_EQ(f.toTool.size(), 14u * kBlocks);
    }
}

TEST(CaptureFileTest, AFailedWriteEndsTheFileAndItsReasonIsHandedOutOnce)
{
    MemoryFile memory;
    memory.failFrom = 6;  // the headers and the handshake go in; the first data block fails
    auto file = CaptureFile::create(memory.writer(), "memory", "test", nullptr);
    ASSERT_TRUE(file);
    auto connection = file->beginConnection(kEnds);
    EXPECT_FALSE(file->failed());
    const std::size_t before = memory.bytes.size();
    connection->sent(filled(5, 0));
    connection->received(filled(14, 0));
    connection->close(Side::Tool);
    EXPECT_TRUE(file->failed());
    EXPECT_EQ(memory.blocks, 6) << "nothing is written after the failure";
    EXPECT_EQ(memory.bytes.size(), before);
    EXPECT_EQ(file->takeFailure(), 28);
    EXPECT_EQ(file->takeFailure(), std::nullopt);
    EXPECT_TRUE(test::readCapture(memory.bytes).wellFormed) << "what was written still reads";

    MemoryFile refusing;
    refusing.failFrom = 1;
    int error = 0;
    EXPECT_EQ(CaptureFile::create(refusing.writer(), "memory", "test", &error), nullptr);
    EXPECT_EQ(error, 28);
}

TEST(BlockFileTest, AFileThatCannotBeCreatedGivesTheSystemsReason)
{
    const auto path = std::filesystem::temp_directory_path() / "nolt-no-such-folder" / "x" / "capture.pcapng";
    int error = 0;
    EXPECT_FALSE(BlockFile::create(path, &error));
    EXPECT_NE(error, 0);
    EXPECT_EQ(CaptureFile::create(path, "test", &error), nullptr);
    EXPECT_NE(error, 0);
}

// A block the system takes only part of (here: the file size limit, as a
// full disk would) is cut off, so the file still ends on a block boundary.
TEST(BlockFileTest, APartlyWrittenBlockIsCutOff)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process file size limit to make a write stop part-way";
#else
    const auto path = std::filesystem::temp_directory_path() / ("nolt-block-file-" + std::to_string(::getpid()));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    int error = 0;
    auto file = BlockFile::create(path, &error);
    ASSERT_TRUE(file);
    const Bytes block = filled(300, 0);
    int written = 0;
    while (file->append(block, &error)) ++written;
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(file->size(), 900u);
    EXPECT_EQ(std::filesystem::file_size(path), 900u) << "the fourth block's first 100 bytes were cut off";
    file.reset();
    std::filesystem::remove(path);
#endif
}

}  // namespace
}  // namespace nolt
