#include "platform/code_page.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>
#else
#include "platform/utf8.h"
#endif

namespace nolt {

#ifdef _WIN32

std::string toNarrow(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(wide.size());
    const int outLen = WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (outLen <= 0) return {};
    std::string out(static_cast<std::size_t>(outLen), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLen, out.data(), outLen, nullptr, nullptr);
    return out;
}

std::wstring fromNarrow(std::string_view narrow)
{
    if (narrow.empty() || narrow.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(narrow.size());
    const int outLen = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLen, nullptr, 0);
    if (outLen <= 0) return {};
    std::wstring out(static_cast<std::size_t>(outLen), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLen, out.data(), outLen);
    return out;
}

#else

// wchar_t holds one UTF-32 code unit here.
std::string toNarrow(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide) appendUtf8(out, static_cast<char32_t>(w));
    return out;
}

std::wstring fromNarrow(std::string_view narrow)
{
    std::wstring out;
    out.reserve(narrow.size());
    std::size_t pos = 0;
    while (pos < narrow.size()) out.push_back(static_cast<wchar_t>(decodeUtf8(narrow, pos)));
    return out;
}

#endif

}  // namespace nolt
