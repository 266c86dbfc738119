#include "res/strings.h"

#include "res/resource.h"

namespace nolt::res {

std::wstring_view loadString(int id)
{
    switch (id) {
    case IDS_ABOUTBOX: return kAboutMenuItem;
    case IDP_SOCKETS_INIT_FAILED: return kSocketsInitFailed;
    case IDS_FIND_MODULES: return kFindModulesMenuItem;
    case IDS_RECORD_FRAMES: return kRecordFramesMenuItem;
    default: return {};
    }
}

}  // namespace nolt::res
