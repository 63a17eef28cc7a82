// Conversions between the programs' Shift_JIS and Windows' UTF-16.
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace bw {

namespace {

constexpr UINT kShiftJis = 932;

}  // namespace

const char kNotShiftJisText[] = "にShift_JISで表せない文字があります.";

std::wstring Wide(const std::string& sjis) {
  if (sjis.empty()) return std::wstring();
  const int size = static_cast<int>(sjis.size());
  const int n = MultiByteToWideChar(kShiftJis, 0, sjis.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kShiftJis, 0, sjis.data(), size, &wide[0], n);
  return wide;
}

std::wstring Wide(const char* sjis) { return Wide(std::string(sjis ? sjis : "")); }

std::vector<wchar_t> WideBuffer(const std::string& sjis) {
  std::wstring wide = Wide(sjis);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.push_back(L'\0');
  return buffer;
}

std::string Narrow(const wchar_t* text, std::size_t length, bool* lossless) {
  if (lossless) *lossless = true;
  if (length == 0) return std::string();
  const int size = static_cast<int>(length);
  // No best fit: a character without a Shift_JIS form is reported, not
  // turned into a similar one.
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text, size, nullptr, 0,
                                    nullptr, &usedDefault);
  if (n <= 0) {
    if (lossless) *lossless = false;
    return std::string();
  }
  std::string sjis(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text, size, &sjis[0], n, nullptr,
                      &usedDefault);
  // The way back must give the same characters: that also catches what a
  // system maps without saying so (a lone surrogate half, say).
  if (lossless && (usedDefault || Wide(sjis) != std::wstring(text, length))) *lossless = false;
  return sjis;
}

std::string Narrow(const std::wstring& text, bool* lossless) {
  return Narrow(text.data(), text.size(), lossless);
}

}  // namespace bw
