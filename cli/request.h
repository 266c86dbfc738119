// One command of nolt-cli, ready to go to any number of modules: the bytes
// to send and what the module's answer must be.
#pragma once

#include "link/frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolt::cli {

struct Request {
    enum class Await {
        Reply,        // a frame with replyCode
        PushAddress,  // the unframed "rtmp://" answer
        Nothing,      // the module answers nothing (the push-address upload)
    };

    std::string command;  // the command's name, for the output
    Bytes bytes;          // sent as one block
    Await await = Await::Reply;
    std::uint8_t replyCode = 0;
    // Bandwidth and DHCP: the state byte the module's echo has to carry.
    std::optional<std::uint8_t> state;
    // Texts of the dialog's warning boxes for this input; they do not stop the send.
    std::vector<std::wstring> warnings;
};

}  // namespace nolt::cli
