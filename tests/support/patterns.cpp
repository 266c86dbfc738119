#include "support/patterns.h"

#include <regex>

namespace nolt::test {

bool matchesWhole(const std::string& text, const std::string& pattern)
{
    return std::regex_match(text, std::regex(pattern));
}

bool matchesWhole(const std::wstring& text, const std::wstring& pattern)
{
    return std::regex_match(text, std::wregex(pattern));
}

bool containsMatch(const std::string& text, const std::string& pattern)
{
    return std::regex_search(text, std::regex(pattern));
}

std::string literally(const std::string& text)
{
    static const std::string special = R"(\^$.|?*+()[]{}/)";
    std::string out;
    for (char c : text) {
        if (special.find(c) != std::string::npos) out += '\\';
        out += c;
    }
    return out;
}

}  // namespace nolt::test
