#include "platform/socket_layer.h"

#include "platform/socket_native.h"

namespace nolt {

bool initSocketLayer()
{
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

}  // namespace nolt
