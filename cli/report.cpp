#include "cli/report.h"

#include "cli/text.h"
#include "link/trace.h"
#include "res/resource.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>

namespace nolt::cli {

namespace {

struct FieldName {
    int id;
    const char* label;  // the dialog's label beside the field
    const char* key;    // the JSON key
};

// The version field has no label of its own; its button says "Search Versions".
constexpr std::array kFieldNames{
    FieldName{res::IDC_OUTPUT_FREQ, "Output Freq", "output_freq"},
    FieldName{res::IDC_INPUT_FREQ, "Input Freq", "input_freq"},
    FieldName{res::IDC_SRC_IMG_SIZE, "Src Img Size", "src_img_size"},
    FieldName{res::IDC_DEST_IMG_SIZE, "Dest Img Size", "dest_img_size"},
    FieldName{res::IDC_VERSION, "Version", "version"},
};

const FieldName& fieldName(int id)
{
    for (const FieldName& f : kFieldNames)
        if (f.id == id) return f;
    static const FieldName unknown{0, "Field", "field"};
    return unknown;
}

bool failedLink(Outcome o) { return o == Outcome::NoAnswer || o == Outcome::LinkFailed; }

}  // namespace

void printSingle(const ModuleResult& result, std::ostream& out, std::ostream& err)
{
    // Lines the module caused go to out; the link's own failure line to err.
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
        const bool last = i + 1 == result.lines.size();
        (last && failedLink(result.outcome) ? err : out) << utf8(result.lines[i]) << '\n';
    }
    for (const Effect& f : result.fields) out << fieldName(f.controlId).label << ": " << utf8(f.text) << '\n';
}

std::string outcomeLine(const ModuleResult& result)
{
    std::string line = result.target.label() + "  " + outcomeName(result.outcome) + "  exit " +
                       std::to_string(exitStatus(result.outcome)) + "  " + secondsText(result.seconds);
    std::string sep = "  ";
    for (const std::wstring& l : result.lines) {
        line += sep + utf8(l);
        sep = "; ";
    }
    for (const Effect& f : result.fields) {
        line += sep + fieldName(f.controlId).label + " " + utf8(f.text);
        sep = "; ";
    }
    return line;
}

std::string summaryTable(const std::vector<ModuleResult>& results, double seconds)
{
    constexpr std::array kOrder{Outcome::Confirmed, Outcome::Sent, Outcome::Refused, Outcome::NoAnswer,
                                Outcome::LinkFailed};
    std::string table = "Outcome       Modules  Exit\n";
    for (Outcome o : kOrder) {
        std::size_t n = 0;
        for (const ModuleResult& r : results) n += r.outcome == o ? 1 : 0;
        if (n == 0 && o == Outcome::Sent) continue;
        char row[64];
        std::snprintf(row, sizeof row, "%-13s %7zu  %4d\n", outcomeName(o), n, exitStatus(o));
        table += row;
    }
    char total[96];
    std::snprintf(total, sizeof total, "%-13s %7zu        in %s\n", "all", results.size(), secondsText(seconds).c_str());
    return table + total;
}

std::string jsonObject(const ModuleResult& r, const std::string& command)
{
    using nlohmann::ordered_json;
    ordered_json lines = ordered_json::array(), fields = ordered_json::object(), received = ordered_json::array();
    for (const std::wstring& line : r.lines) lines.push_back(utf8(line));
    for (const Effect& f : r.fields) fields[fieldName(f.controlId).key] = utf8(f.text);
    for (const Bytes& block : r.received) received.push_back(toHex(block));
    const ordered_json json{{"host", r.target.host}, {"port", r.target.port},   {"command", command},
                            {"outcome", outcomeName(r.outcome)}, {"exit", exitStatus(r.outcome)}, {"lines", lines},
                            {"fields", fields},        {"sent", toHex(r.sent)}, {"received", received}};
    return jsonLine(json, r.seconds);
}

std::string jsonLine(const nlohmann::ordered_json& object, double seconds)
{
    // A JSON number carries no format, and the library writes the shortest
    // text that reads back the same ("2.0" for 2 ms): the time, last, keeps
    // its three decimals by being written here.
    std::string line = object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    char ms[40];
    std::snprintf(ms, sizeof ms, "%s\"ms\":%.3f}", object.empty() ? "" : ",", seconds * 1000.0);
    line.pop_back();
    return line + ms;
}

}  // namespace nolt::cli
