// Everything that shapes how the simulated module behaves: its starting
// state, the faults it injects and how its server listens and logs.
#pragma once

#include "sim/module_state.h"

#include <cstdint>
#include <optional>
#include <string>

namespace nolt::sim {

// Faults for tests and for users who want to rehearse failures. All are off
// by default; a default-constructed value gives a well-behaved module.
struct Faults {
    bool badChecksum = false;        // every reply carries a wrong checksum
    bool silent = false;             // never reply (commands still change the state)
    bool silentOnAddressRequest = false;  // no answer to "get_addrrtmp"
    bool upperCasePrefix = false;    // push address answered as "RTMP://..."
    int splitBytes = 0;              // > 0: write replies in pieces of this many bytes
    int splitPauseMs = 0;            // pause between those pieces
    bool coalesce = false;           // all replies to one read go out in one write
    int repeat = 1;                  // each reply is sent this many times (>= 1)
    int statusFlood = 1;             // a status query is answered this many times (>= 1)
    int delayMs = 0;                 // pause before answering a read
    int closeAfterFrames = 0;        // > 0: close after answering this many frames
    int infoAfterFrames = 0;         // > 0: send AA 06 00 00 after answering this many frames
    int infoAfterMs = 0;             // > 0: send AA 06 00 00 this long after a client connects
    std::optional<std::uint32_t> dropSeed = std::nullopt;  // set: drop the connection inside a reply
    int dropWithinReplies = 10;      // the drop hits one of the first this-many replies
};

struct ModuleOptions {
    ModuleState initial;  // the state the module starts with
    Faults faults;
};

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 2000;  // 0 picks a free port
    bool quiet = true;          // false: print every frame in hex on stdout
    int modules = 1;            // > 1: that many modules on consecutive ports from `port`
    ModuleOptions module;
};

}  // namespace nolt::sim
