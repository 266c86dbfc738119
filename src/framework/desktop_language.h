// The language the desktop shows its own texts in, such as the items of a
// window's system menu: the framework draws those items itself on Linux, and
// they must read as the platform's own would.
#pragma once

namespace nolt::fw {

enum class DesktopLanguage { English, SimplifiedChinese, TraditionalChinese };

// Decided from the locale's environment variables (a null pointer or an
// empty text stands for an unset one) as the C library picks the language of
// messages and Qt its UI languages: the first of LC_ALL, LC_MESSAGES and LANG
// that is set names the locale; unless that is the C (POSIX) locale,
// LANGUAGE, when set, lists the preferred languages and its first one wins.
// Chinese when that language is "zh", whatever its code set or modifier:
// traditional in Taiwan, Hong Kong and Macao (zh_TW, zh_HK, zh_MO), else
// simplified; English otherwise.
DesktopLanguage desktopLanguage(const char* language, const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace nolt::fw
