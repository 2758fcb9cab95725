// The media service on Windows: mciSendStringA and mciGetErrorStringA, which only come in
// ANSI form. Commands are converted to the ANSI code page at the call, and a reply or error
// text holding more than ASCII is turned into UTF-8 in the caller's buffer.
#include "saver/music/win32_media_service.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <string>

#include "common/win32_system_library.h"
#include "common/win32_text.h"

namespace mirokan::win32 {
namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Rewrites the NUL-terminated ANSI text the platform left at the start of `buffer` as UTF-8,
// cut at a character boundary to fit. ASCII (every status reply) is left untouched, so the
// bytes behind its NUL stay exactly as the platform left them.
void AnsiTextToUtf8InPlace(std::span<char> buffer) {
  if (buffer.empty()) return;
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  const std::string_view ansi(buffer.data(), static_cast<std::size_t>(end - buffer.begin()));
  if (IsAscii(ansi)) return;
  const std::string utf8 = AnsiToUtf8(ansi);
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
  const std::string ansi = Utf8ToAnsi(command);
  static const auto send = SystemFunction<decltype(mciSendStringA)>(L"winmm.dll", "mciSendStringA");
  // Without the multimedia library no device can be reached, as without a driver.
  const MCIERROR code =
      send ? send(ansi.c_str(), reply.empty() ? nullptr : reply.data(),
                  static_cast<UINT>(reply.size()), nullptr)
           : MCIERR_CANNOT_LOAD_DRIVER;
  // Only a successful command wrote a reply; after a failure the buffer holds no new text.
  if (code == 0) AnsiTextToUtf8InPlace(reply);
  return static_cast<std::int32_t>(code);
}

bool MciMediaService::GetErrorText(std::int32_t code, std::span<char> text) {
  if (text.empty()) return false;
  static const auto error_text =
      SystemFunction<decltype(mciGetErrorStringA)>(L"winmm.dll", "mciGetErrorStringA");
  if (!error_text ||
      !error_text(static_cast<MCIERROR>(code), text.data(), static_cast<UINT>(text.size()))) {
    return false;
  }
  AnsiTextToUtf8InPlace(text);
  return true;
}

}  // namespace mirokan::win32
