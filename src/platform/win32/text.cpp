#include "platform/win32/text.h"

#include <windows.h>

namespace gd::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string SystemErrorText(unsigned long code) {
  wchar_t buffer[256];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                           sizeof buffer / sizeof buffer[0], nullptr);
  while (n > 0 && (buffer[n - 1] <= L' ' || buffer[n - 1] == L'.')) --n;
  if (n == 0) return "Error " + std::to_string(code);
  return Narrow(std::wstring_view(buffer, n));
}

std::wstring MenuCaption(std::string_view caption) {
  std::wstring out;
  for (wchar_t c : Widen(caption)) {
    if (c == L'&') out += L'&';
    out += c;
  }
  return out;
}

}  // namespace gd::win32
