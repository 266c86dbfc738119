#include "framework/desktop_language.h"

#include <algorithm>
#include <string_view>

namespace nolt::fw {
namespace {

bool set(const char* value)
{
    return value && *value;
}

// A locale's language and region: "zh_TW.UTF-8" -> "zh_TW"; "C.UTF-8" ->
// "C"; of a list, its first entry: "zh_TW:en" -> "zh_TW", ":en" -> "en".
std::string_view languageOf(std::string_view locale)
{
    locale.remove_prefix(std::min(locale.find_first_not_of(':'), locale.size()));
    return locale.substr(0, locale.find_first_of(".@:"));
}

DesktopLanguage languageNamed(std::string_view name)
{
    const std::string_view language = name.substr(0, name.find('_'));
    if (language != "zh") return DesktopLanguage::English;
    const std::string_view region = language.size() < name.size() ? name.substr(language.size() + 1) : "";
    return region == "TW" || region == "HK" || region == "MO" ? DesktopLanguage::TraditionalChinese
                                                              : DesktopLanguage::SimplifiedChinese;
}

}  // namespace

DesktopLanguage desktopLanguage(const char* language, const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* locale = set(lcAll) ? lcAll : set(lcMessages) ? lcMessages : set(lang) ? lang : "C";
    const std::string_view name = languageOf(locale);
    const bool posix = name == "C" || name == "POSIX";
    return languageNamed(!posix && set(language) ? languageOf(language) : name);
}

}  // namespace nolt::fw
