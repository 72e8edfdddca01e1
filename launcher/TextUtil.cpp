#include "TextUtil.h"

#include <cstdio>

std::string WideToAnsi(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], size,
                        nullptr, nullptr);
  return narrow;
}

std::wstring AnsiToWide(const std::string& narrow) {
  if (narrow.empty()) return std::wstring();
  const int size = ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                                         nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), &wide[0], size);
  return wide;
}

std::string FormatString(const char* format, const std::string& text) {
  std::string result;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      result += text;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      result += '%';
      ++p;
    } else {
      result += *p;
    }
  }
  return result;
}

std::vector<std::string> SplitString(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    if (!text.empty()) pieces.push_back(text);
    return pieces;
  }
  size_t from = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
    pieces.push_back(text.substr(from, at - from));
    from = at + separator.size();
  }
  if (from < text.size()) pieces.push_back(text.substr(from));
  return pieces;
}

std::wstring GetOwnFolderW() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string GetOwnFolderA() { return WideToAnsi(GetOwnFolderW()); }

std::string GetSettingsPath() { return FormatString("%sZelLogin.ini", GetOwnFolderA()); }

std::string ReadLoginSetting(const char* section, const char* key, const char* fallback) {
  char value[261] = {};
  ::GetPrivateProfileStringA(section, key, fallback, value, 260, GetSettingsPath().c_str());
  return value;
}

void EndLauncher(unsigned code) {
  fflush(nullptr);
  ::ExitProcess(code);
}
