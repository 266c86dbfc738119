#include "capture/pcapng_blocks.h"

namespace nolt::capture {

namespace {

constexpr std::uint32_t kSectionHeader = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceDescription = 1;
constexpr std::uint32_t kEnhancedPacket = 6;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint16_t kMajorVersion = 1;
constexpr std::uint16_t kMinorVersion = 0;
constexpr std::uint16_t kOptionEnd = 0;
constexpr std::uint16_t kOptionUserApplication = 4;

void add16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void add32(Bytes& out, std::uint32_t v)
{
    add16(out, static_cast<std::uint16_t>(v));
    add16(out, static_cast<std::uint16_t>(v >> 16));
}

void addPadded(Bytes& out, std::span<const std::uint8_t> bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.resize(out.size() + (4 - bytes.size() % 4) % 4, 0);
}

// Type, a placeholder for the length, the body, and the length again, which
// both ends of every block carry so that a reader can walk either way.
class Block {
public:
    explicit Block(std::uint32_t type)
    {
        add32(bytes_, type);
        add32(bytes_, 0);
    }
    Bytes& body() { return bytes_; }
    Bytes finish()
    {
        const auto total = static_cast<std::uint32_t>(bytes_.size() + 4);
        for (int i = 0; i < 4; ++i) bytes_[4 + i] = static_cast<std::uint8_t>(total >> (8 * i));
        add32(bytes_, total);
        return std::move(bytes_);
    }

private:
    Bytes bytes_;
};

}  // namespace

Bytes sectionHeaderBlock(std::string_view application)
{
    Block block(kSectionHeader);
    Bytes& b = block.body();
    add32(b, kByteOrderMagic);
    add16(b, kMajorVersion);
    add16(b, kMinorVersion);
    add32(b, 0xFFFFFFFF);  // the section's length is not known: -1 in 64 bits
    add32(b, 0xFFFFFFFF);
    if (!application.empty()) {
        add16(b, kOptionUserApplication);
        add16(b, static_cast<std::uint16_t>(application.size()));
        addPadded(b, std::span(reinterpret_cast<const std::uint8_t*>(application.data()), application.size()));
        add16(b, kOptionEnd);
        add16(b, 0);
    }
    return block.finish();
}

Bytes interfaceDescriptionBlock(std::uint16_t linkType, std::uint32_t snapLength)
{
    Block block(kInterfaceDescription);
    Bytes& b = block.body();
    add16(b, linkType);
    add16(b, 0);
    add32(b, snapLength);
    return block.finish();
}

Bytes enhancedPacketBlock(std::chrono::system_clock::time_point when, std::span<const std::uint8_t> packet)
{
    const auto micros = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count());
    Block block(kEnhancedPacket);
    Bytes& b = block.body();
    add32(b, 0);  // interface 0
    add32(b, static_cast<std::uint32_t>(micros >> 32));
    add32(b, static_cast<std::uint32_t>(micros));
    add32(b, static_cast<std::uint32_t>(packet.size()));
    add32(b, static_cast<std::uint32_t>(packet.size()));
    addPadded(b, packet);
    return block.finish();
}

}  // namespace nolt::capture
