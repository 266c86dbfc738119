#include "platform/file_failure_text.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/code_page.h"

namespace nolt {

std::wstring pathForDisplay(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.lexically_normal().wstring();
#else
  return fromNarrow(path.lexically_normal().native());
#endif
}

std::wstring systemErrorText(int systemError) {
  if (systemError == 0) return {};
  std::wstring text;
#ifdef _WIN32
  // In the user's own language, as the system says it elsewhere.
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(systemError), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (n > 0 && buffer) text.assign(buffer, n);
  LocalFree(buffer);
  if (text.empty()) text = L"error " + std::to_wstring(systemError);
#else
  text = fromNarrow(std::strerror(systemError));
#endif
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

std::wstring fileFailureReason(FileStatus status, int systemError) {
  if (systemError != 0) return systemErrorText(systemError);
  switch (status) {
  case FileStatus::TooLarge: return L"the file is larger than 1 MiB";
  case FileStatus::ReadOnly: return L"the file is read-only";
  case FileStatus::ReadFailed: return L"the file cannot be read";
  case FileStatus::Ok:
  case FileStatus::NotFound:
  case FileStatus::CreateFailed:
  case FileStatus::WriteFailed:
  case FileStatus::ReplaceFailed: break;
  }
  return L"the file cannot be written";
}

}  // namespace nolt
