// Text conversions at the Win32 boundary. The portable core holds UTF-8; the W functions
// take UTF-16; the calls that only come in ANSI form (profile strings, MCI strings) take the
// system's ANSI code page, converted here and nowhere else.
#pragma once

#include <string>
#include <string_view>

namespace mirokan::win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// To and from the ANSI code page (CP_ACP). Characters the code page lacks become its
// default character, as the system's own ANSI functions would do.
std::string WideToAnsi(std::wstring_view wide);
std::wstring AnsiToWide(std::string_view ansi);

inline std::string Utf8ToAnsi(std::string_view utf8) {
  return WideToAnsi(Utf8ToWide(utf8));
}
inline std::string AnsiToUtf8(std::string_view ansi) {
  return WideToUtf8(AnsiToWide(ansi));
}

}  // namespace mirokan::win32
