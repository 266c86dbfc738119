#include "cli/report.h"

#include "cli/text.h"
#include "link/trace.h"
#include "res/resource.h"

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

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

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
    std::string json = "{\"host\":" + jsonString(r.target.host) + ",\"port\":" + std::to_string(r.target.port) +
                       ",\"command\":" + jsonString(command) + ",\"outcome\":" + jsonString(outcomeName(r.outcome)) +
                       ",\"exit\":" + std::to_string(exitStatus(r.outcome)) + ",\"lines\":[";
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        if (i) json += ',';
        json += jsonString(utf8(r.lines[i]));
    }
    json += "],\"fields\":{";
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
        if (i) json += ',';
        json += jsonString(fieldName(r.fields[i].controlId).key);
        json += ':';
        json += jsonString(utf8(r.fields[i].text));
    }
    json += "},\"sent\":" + jsonString(toHex(r.sent)) + ",\"received\":[";
    for (std::size_t i = 0; i < r.received.size(); ++i) {
        if (i) json += ',';
        json += jsonString(toHex(r.received[i]));
    }
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.3f", r.seconds * 1000.0);
    return json + "],\"ms\":" + ms + "}";
}

}  // namespace nolt::cli
