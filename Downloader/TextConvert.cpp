#include "TextConvert.h"

#include <windows.h>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  const char* s = text.c_str();
  int needed = MultiByteToWideChar(codePage, 0, s, -1, nullptr, 0);
  if (needed <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, s, -1, &out[0], needed);
  out.resize(static_cast<size_t>(needed - 1));
  return out;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
  const wchar_t* s = text.c_str();
  int needed = WideCharToMultiByte(codePage, 0, s, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) return std::string();
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, s, -1, &out[0], needed, nullptr, nullptr);
  out.resize(static_cast<size_t>(needed - 1));
  return out;
}

}  // namespace

std::string Utf8ToAnsi(const std::string& text) { return FromWide(CP_ACP, ToWide(CP_UTF8, text)); }
std::string AnsiToUtf8(const std::string& text) { return FromWide(CP_UTF8, ToWide(CP_ACP, text)); }
std::string WideToAnsi(const std::wstring& text) { return FromWide(CP_ACP, text); }
std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(const std::wstring& text) { return FromWide(CP_UTF8, text); }

std::vector<std::string> SplitString(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    if (!text.empty()) pieces.push_back(text);
    return pieces;
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t hit = text.find(separator, start);
    if (hit == std::string::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, hit - start));
    start = hit + separator.size();
  }
  return pieces;
}
