// Regular expressions for what tests expect of a line of output. They are
// compiled in one file of their own (patterns.cpp): <regex> is by far the
// slowest header of the tests to build, most of all under the sanitizers,
// so every test program shares one instance of it instead of building it
// again in each file that matches a line.
#pragma once

#include <string>

namespace nolt::test {

// The whole text has the pattern's form (ECMAScript syntax).
bool matchesWhole(const std::string& text, const std::string& pattern);
bool matchesWhole(const std::wstring& text, const std::wstring& pattern);

// Some part of the text has the pattern's form.
bool containsMatch(const std::string& text, const std::string& pattern);

// The text with every character that a pattern gives a meaning to escaped,
// so that it matches only itself.
std::string literally(const std::string& text);

}  // namespace nolt::test
