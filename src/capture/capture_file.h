// A recording of the tool's traffic with modules as a pcapng capture that
// Wireshark and tshark open: each connection to a module is one TCP
// connection between this PC's address and port and the module's, with a
// handshake at its start, consistent sequence and acknowledgement numbers,
// the time each block was sent or received, and a close where the session
// ends. Every block of the file is written whole at once, so a file cut
// short by a crash still opens.
//
// Written by hand: Debian has no well-kept library that writes pcapng and
// builds for both Linux and Windows (libpcap writes only the older pcap
// format, and Wireshark's own file library is neither packaged for mingw
// nor made to be used outside Wireshark), and the file's few blocks are
// simple.
//
// Safe to use from several threads at once: connections of several
// modules may be recorded into one file side by side.
#pragma once

#include "platform/socket_endpoints.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string_view>
#include <vector>

namespace nolt::capture {

class CaptureConnection;

class CaptureFile : public std::enable_shared_from_this<CaptureFile> {
public:
    using Clock = std::chrono::system_clock;
    // Takes one block of the file whole; false with the system's reason
    // (0 when it gave none) when it could not.
    using BlockWriter = std::function<bool(std::span<const std::uint8_t> block, int* systemError)>;

    // Creates the file (emptying one that is there) and writes its headers;
    // nullptr with the system's reason when that fails. `application` names
    // the program in the file's header.
    static std::shared_ptr<CaptureFile> create(const std::filesystem::path& path, std::string_view application,
                                               int* systemError);
    // The same over any writer (tests give one that fails on purpose).
    static std::shared_ptr<CaptureFile> create(BlockWriter writer, std::filesystem::path path,
                                               std::string_view application, int* systemError);

    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    // A new connection from this PC (local) to a module (peer), begun with
    // its handshake now.
    std::shared_ptr<CaptureConnection> beginConnection(const ConnectionEndpoints& ends);

    // After a write has failed the file takes nothing more. The system's
    // reason for that failure is handed out once, to the first caller, so
    // that it is reported once however many connections noticed it.
    bool failed() const;
    std::optional<int> takeFailure();

    const std::filesystem::path& path() const { return path_; }

private:
    friend class CaptureConnection;

    CaptureFile(BlockWriter writer, std::filesystem::path path);
    bool writeBlock(std::span<const std::uint8_t> block);
    // One packet, stamped now; the caller holds mutex_.
    void writePacket(std::span<const std::uint8_t> packet);
    std::uint32_t randomNumber();  // caller holds mutex_

    mutable std::mutex mutex_;
    BlockWriter writer_;
    const std::filesystem::path path_;
    std::mt19937 random_;
    bool failed_ = false;
    bool failureTaken_ = false;
    int failure_ = 0;
};

}  // namespace nolt::capture
