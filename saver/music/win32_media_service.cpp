// The media service on Windows: mciSendStringW and mciGetErrorStringW, so a music file's path
// reaches the device whole whatever the code page holds. Replies and error texts are turned
// into UTF-8 in the caller's buffer.
#include "saver/music/win32_media_service.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <string>

#include "common/win32_system_library.h"
#include "common/win32_text.h"

namespace mirokan::win32 {
namespace {

// Stands in a reply's first character until the platform writes one (a noncharacter, which
// no reply holds).
constexpr wchar_t kUnwritten = L'\xFFFF';

// Writes the NUL-terminated text at the start of `wide` into `buffer` as UTF-8, cut at a
// character boundary to fit. Only the text and its NUL are written: the bytes behind them
// stay as they were, as the platform left them in the buffer when it wrote there itself.
void WideTextToUtf8(std::wstring_view wide, std::span<char> buffer) {
  if (buffer.empty()) return;
  const std::string utf8 = WideToUtf8(wide.substr(0, wide.find(L'\0')));
  std::size_t length = std::min(utf8.size(), buffer.size() - 1);
  while (length > 0 && length < utf8.size() &&
         (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
    --length;
  }
  std::copy_n(utf8.data(), length, buffer.data());
  buffer[length] = '\0';
}

}  // namespace

std::int32_t MciMediaService::SendCommand(std::string_view command, std::span<char> reply) {
  static const auto send = SystemFunction<decltype(mciSendStringW)>(L"winmm.dll", "mciSendStringW");
  // Without the multimedia library no device can be reached, as without a driver.
  if (!send) return MCIERR_CANNOT_LOAD_DRIVER;
  std::wstring wide(reply.size(), kUnwritten);
  const MCIERROR code = send(Utf8ToWide(command).c_str(), reply.empty() ? nullptr : wide.data(),
                             static_cast<UINT>(wide.size()), nullptr);
  // Only a successful command that answered wrote a reply; otherwise the buffer keeps the
  // text it held.
  if (code == 0 && !wide.empty() && wide.front() != kUnwritten) WideTextToUtf8(wide, reply);
  return static_cast<std::int32_t>(code);
}

bool MciMediaService::GetErrorText(std::int32_t code, std::span<char> text) {
  if (text.empty()) return false;
  static const auto error_text =
      SystemFunction<decltype(mciGetErrorStringW)>(L"winmm.dll", "mciGetErrorStringW");
  std::wstring wide(text.size(), L'\0');
  if (!error_text ||
      !error_text(static_cast<MCIERROR>(code), wide.data(), static_cast<UINT>(wide.size()))) {
    return false;
  }
  WideTextToUtf8(wide, text);
  return true;
}

}  // namespace mirokan::win32
