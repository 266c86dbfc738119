// The save-file dialog on Windows: the common dialog (GetSaveFileNameW).

#include "framework/win32/win32_impl.h"

#include <commdlg.h>

#include <vector>

namespace nolt::fw {
namespace {

constexpr std::wstring_view kAllFiles = L"All files (*.*)";
constexpr std::wstring_view kAllFilesPattern = L"*.*";
// Longer than any path Windows takes, long paths included.
constexpr std::size_t kPathCapacity = 32768;

// Pairs of display text and pattern, each ended by a zero, and one zero more.
std::wstring filterText(const SaveFileRequest& r)
{
    const std::wstring pattern = L"*." + r.extension;
    std::wstring f = r.description + L" (" + pattern + L")";
    f += L'\0';
    f += pattern;
    f += L'\0';
    f += kAllFiles;
    f += L'\0';
    f += kAllFilesPattern;
    f += L'\0';
    return f;
}

}  // namespace

std::optional<std::filesystem::path> backend::showNativeSaveFileDialog(const SaveFileRequest& r, CDialogEx* owner)
{
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    r.fileName.copy(file.data(), std::min(r.fileName.size(), file.size() - 1));
    const std::wstring filter = filterText(r);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner ? DialogAccess::window(*owner) : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = r.title.c_str();
    ofn.lpstrDefExt = r.extension.c_str();
    // The folder the program was started in stays its current one.
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
    return std::filesystem::path(file.data());
}

}  // namespace nolt::fw
