// A file written one block at a time, for records that must stay readable
// whatever happens to the program: each block is handed to the system whole
// (no buffer of ours holds part of it), so a crash or a kill between two
// blocks leaves the file ending on a block boundary, and a block the system
// takes only part of (a full disk) is cut off again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace nolt {

class BlockFile {
public:
    BlockFile() = default;
    ~BlockFile();
    BlockFile(BlockFile&& other) noexcept;
    BlockFile& operator=(BlockFile&& other) noexcept;
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    // Creates the file, emptying one that is there. Other programs may read
    // it meanwhile. nullopt with the system's reason (GetLastError() on
    // Windows, errno elsewhere) when it cannot be created.
    static std::optional<BlockFile> create(const std::filesystem::path& path, int* systemError);

    // Adds the block at the end. On failure the file is cut back to where
    // it ended before, the system's reason goes to systemError, and false
    // is returned.
    bool append(std::span<const std::uint8_t> block, int* systemError);

    bool isOpen() const;
    std::uint64_t size() const { return size_; }

private:
    void close();

    std::uintptr_t handle_ = ~std::uintptr_t{0};
    std::uint64_t size_ = 0;
};

}  // namespace nolt
