#include "capture/capture_file.h"

#include "capture/capture_connection.h"
#include "capture/pcapng_blocks.h"
#include "platform/block_file.h"

namespace nolt::capture {

namespace {

// Far above the largest packet a connection writes (one MSS and headers).
constexpr std::uint32_t kSnapLength = 65535;

}  // namespace

std::shared_ptr<CaptureFile> CaptureFile::create(const std::filesystem::path& path, std::string_view application,
                                                 int* systemError)
{
    auto file = BlockFile::create(path, systemError);
    if (!file) return nullptr;
    auto shared = std::make_shared<BlockFile>(std::move(*file));
    return create([shared](std::span<const std::uint8_t> block, int* error) { return shared->append(block, error); },
                  path, application, systemError);
}

std::shared_ptr<CaptureFile> CaptureFile::create(BlockWriter writer, std::filesystem::path path,
                                                 std::string_view application, int* systemError)
{
    std::shared_ptr<CaptureFile> file(new CaptureFile(std::move(writer), std::move(path)));
    std::lock_guard lock(file->mutex_);
    if (!file->writeBlock(sectionHeaderBlock(application))
        || !file->writeBlock(interfaceDescriptionBlock(kLinkTypeRawIp, kSnapLength))) {
        if (systemError) *systemError = file->failure_;
        return nullptr;
    }
    return file;
}

CaptureFile::CaptureFile(BlockWriter writer, std::filesystem::path path)
    : writer_(std::move(writer)), path_(std::move(path)), random_(std::random_device{}())
{
}

CaptureFile::~CaptureFile() = default;

std::shared_ptr<CaptureConnection> CaptureFile::beginConnection(const ConnectionEndpoints& ends)
{
    std::shared_ptr<CaptureConnection> connection(new CaptureConnection(shared_from_this(), ends));
    std::lock_guard lock(mutex_);
    connection->open();
    return connection;
}

bool CaptureFile::failed() const
{
    std::lock_guard lock(mutex_);
    return failed_;
}

std::optional<int> CaptureFile::takeFailure()
{
    std::lock_guard lock(mutex_);
    if (!failed_ || failureTaken_) return std::nullopt;
    failureTaken_ = true;
    return failure_;
}

bool CaptureFile::writeBlock(std::span<const std::uint8_t> block)
{
    if (failed_) return false;
    int error = 0;
    if (writer_(block, &error)) return true;
    failed_ = true;
    failure_ = error;
    return false;
}

void CaptureFile::writePacket(std::span<const std::uint8_t> packet)
{
    writeBlock(enhancedPacketBlock(Clock::now(), packet));
}

std::uint32_t CaptureFile::randomNumber()
{
    return static_cast<std::uint32_t>(random_());
}

}  // namespace nolt::capture
