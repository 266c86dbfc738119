// Process-wide start of the socket layer. Winsock must be started before any
// socket call; POSIX needs nothing. Safe to call any number of times from any
// thread: only the first call does the work.
#pragma once

namespace nolt {

// True when sockets can be used.
bool initSocketLayer();

}  // namespace nolt
