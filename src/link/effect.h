// What handling a reply asks of the window: the core decides, the dialog (or
// a test, or a command-line client) carries it out.
#pragma once

#include "link/link_ui.h"

#include <string>

namespace nolt {

struct Effect {
    enum class Kind { Log, MessageBox, FieldText, LinkReset };

    Kind kind = Kind::Log;
    std::wstring text;           // Log, MessageBox, FieldText
    int controlId = 0;           // FieldText
    BoxIcon icon = BoxIcon::None;  // MessageBox

    static Effect log(std::wstring line) { return {Kind::Log, std::move(line), 0, BoxIcon::None}; }
    static Effect box(std::wstring message, BoxIcon boxIcon)
    {
        return {Kind::MessageBox, std::move(message), 0, boxIcon};
    }
    static Effect field(int id, std::wstring value) { return {Kind::FieldText, std::move(value), id, BoxIcon::None}; }
    static Effect linkReset() { return {Kind::LinkReset, {}, 0, BoxIcon::None}; }

    bool operator==(const Effect&) const = default;
};

}  // namespace nolt
