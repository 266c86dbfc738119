// Writes the tables of the Wireshark dissector (wireshark/nolt.lua)
// from the tool's own: the names of the codes, the item texts of the stream
// lists and the IP settings' filler. The dissector stays one plain Lua file a user copies, so the
// tables live in it between two marker lines; this program rewrites that
// block (--update) or reports that it is stale (--check), which the tests run.
//
//     make_lua_tables --print | --check FILE | --update FILE

#include "commands/command_frames.h"
#include "link/protocol_names.h"
#include "platform/utf8.h"
#include "res/resource.h"
#include "res/templates.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kBegin = "-- BEGIN GENERATED TABLES";
constexpr std::string_view kEnd = "-- END GENERATED TABLES";

// The bytes of a stream settings payload, in payload order, which puts the
// bit rate before the resolution (the reverse of the order on screen): the
// label the dialog shows beside each list and the field name in the
// dissector. The sub stream has the first six.
struct PayloadByte {
    const char* label;
    const char* field;
};
constexpr PayloadByte kStreamBytes[] = {
    {"Bit rate", "bit_rate"},          {"Resolution", "resolution"}, {"Net Push Mode", "push_mode"},
    {"Encoder format", "encoder"},     {"Frame rate", "frame_rate"}, {"Packet format", "packet"},
    {"Record format", "record"},
};

// The list each byte comes from.
using namespace nolt::res;
constexpr int kMainLists[] = {IDC_MAIN_BITRATE, IDC_MAIN_RESOLUTION, IDC_MAIN_PUSH_MODE, IDC_MAIN_ENCODER,
                              IDC_MAIN_FRAME_RATE, IDC_MAIN_PACKET, IDC_MAIN_RECORD};
constexpr int kSubLists[] = {IDC_SUB_BITRATE, IDC_SUB_RESOLUTION, IDC_SUB_PUSH_MODE,
                             IDC_SUB_ENCODER, IDC_SUB_FRAME_RATE, IDC_SUB_PACKET};

// A Lua string literal; anything outside printable ASCII as a decimal escape.
std::string luaString(std::string_view utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += '\\' + std::to_string(c);
        }
    }
    return out + "\"";
}

std::string toUtf8(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text) nolt::appendUtf8(out, static_cast<char32_t>(c));
    return out;
}

std::span<const std::wstring_view> itemsOf(int control)
{
    for (const auto& c : nolt::res::mainTemplate().controls)
        if (c.id == control) return c.items;
    return {};
}

void writeNames(std::ostream& out, const char* table, bool commands)
{
    out << "local " << table << " = {\n";
    for (const nolt::CodeName& n : nolt::codeNames()) {
        const std::string_view name = commands ? n.command : n.reply;
        if (name.empty()) continue;
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", n.code);
        out << "    [" << code << "] = " << luaString(name) << ",\n";
    }
    out << "}\n";
}

void writeLists(std::ostream& out, const char* table, std::span<const int> lists)
{
    out << "local " << table << " = {\n";
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const PayloadByte& b = kStreamBytes[i];
        out << "    { label = " << luaString(b.label) << ", field = " << luaString(b.field) << ", items = {";
        bool first = true;
        for (std::wstring_view item : itemsOf(lists[i])) {
            out << (first ? " " : ", ") << luaString(toUtf8(item));
            first = false;
        }
        out << " } },\n";
    }
    out << "}\n";
}

std::string block()
{
    std::ostringstream out;
    out << kBegin << " (by make_lua_tables from the tool's tables; do not edit)\n";
    writeNames(out, "command_names", true);
    writeNames(out, "reply_names", false);
    out << "-- The stream lists in payload order; a payload byte n is item n (0: none).\n";
    writeLists(out, "main_lists", kMainLists);
    writeLists(out, "sub_lists", kSubLists);
    out << "-- Payload bytes 0-5 of the IP settings when the module gets no UDP target.\n";
    out << "local no_udp_filler = \"";
    for (std::uint8_t b : nolt::kNoUdpFiller) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02X", b);
        out << byte;
    }
    out << "\"\n";
    out << kEnd << "\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--print" && argc == 2) {
        std::cout << block();
        return 0;
    }
    if ((mode != "--check" && mode != "--update") || argc != 3) {
        std::cerr << "usage: make_lua_tables --print | --check FILE | --update FILE\n";
        return 2;
    }
    const std::string path = argv[2];
    std::ifstream in(path, std::ios::binary);
    std::ostringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    const auto begin = text.find(kBegin);
    const auto endMark = text.find(kEnd, begin == std::string::npos ? 0 : begin);
    if (!in || begin == std::string::npos || endMark == std::string::npos) {
        std::cerr << path << ": no block between \"" << kBegin << "\" and \"" << kEnd << "\"\n";
        return 1;
    }
    const auto end = text.find('\n', endMark) == std::string::npos ? text.size() : text.find('\n', endMark) + 1;
    const std::string fresh = text.substr(0, begin) + block() + text.substr(end);
    if (fresh == text) return 0;
    if (mode == "--check") {
        std::cerr << path << ": the generated tables are stale; build the target wireshark_lua_tables\n";
        return 1;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << fresh;
    std::cout << "updated " << path << "\n";
    return 0;
}
