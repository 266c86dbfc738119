// A small JSON reader for the tests: enough to parse what nolt-cli --json
// prints (objects, arrays, strings with escapes, numbers, true, false, null)
// and to refuse anything malformed.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolt::test {

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::map<std::string, Json> object;

    const Json& operator[](const std::string& key) const
    {
        static const Json missing;
        const auto it = object.find(key);
        return it == object.end() ? missing : it->second;
    }
};

class JsonReader {
public:
    // The value of the whole text, or nullopt when it is not exactly one JSON value.
    static std::optional<Json> parse(std::string_view text)
    {
        JsonReader r(text);
        auto value = r.value();
        r.blanks();
        if (!value || r.at_ != text.size()) return std::nullopt;
        return value;
    }

private:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void blanks()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    bool take(char c)
    {
        blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool word(std::string_view w)
    {
        if (text_.substr(at_, w.size()) != w) return false;
        at_ += w.size();
        return true;
    }

    std::optional<std::string> string()
    {
        if (!take('"')) return std::nullopt;
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c == '\\') {
                if (at_ >= text_.size()) return std::nullopt;
                const char e = text_[at_++];
                const std::string_view simple = "\"\\/bfnrt";
                const std::string_view meant = "\"\\/\b\f\n\r\t";
                if (const auto p = simple.find(e); p != std::string_view::npos) {
                    c = meant[p];
                } else if (e == 'u' && at_ + 4 <= text_.size()) {
                    const long code = std::strtol(std::string(text_.substr(at_, 4)).c_str(), nullptr, 16);
                    at_ += 4;
                    if (code >= 0x80) return std::nullopt;  // the tool escapes only control characters
                    c = static_cast<char>(code);
                } else {
                    return std::nullopt;
                }
            }
            out += c;
        }
        if (!take('"')) return std::nullopt;
        return out;
    }

    std::optional<Json> value()
    {
        blanks();
        Json j;
        if (at_ >= text_.size()) return std::nullopt;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            j.kind = Json::Kind::Object;
            if (take('}')) return j;
            do {
                auto key = string();
                if (!key || !take(':')) return std::nullopt;
                auto v = value();
                if (!v) return std::nullopt;
                j.object[*key] = std::move(*v);
            } while (take(','));
            return take('}') ? std::optional(j) : std::nullopt;
        }
        if (c == '[') {
            ++at_;
            j.kind = Json::Kind::Array;
            if (take(']')) return j;
            do {
                auto v = value();
                if (!v) return std::nullopt;
                j.array.push_back(std::move(*v));
            } while (take(','));
            return take(']') ? std::optional(j) : std::nullopt;
        }
        if (c == '"') {
            auto s = string();
            if (!s) return std::nullopt;
            j.kind = Json::Kind::String;
            j.string = std::move(*s);
            return j;
        }
        if (word("true") || word("false")) {
            j.kind = Json::Kind::Bool;
            j.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
            return j;
        }
        if (word("null")) return j;
        const std::string rest(text_.substr(at_, 40));
        char* end = nullptr;
        j.number = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str()) return std::nullopt;
        at_ += static_cast<std::size_t>(end - rest.c_str());
        j.kind = Json::Kind::Number;
        return j;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace nolt::test
