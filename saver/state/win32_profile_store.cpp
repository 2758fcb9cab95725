// Profile strings through the wide profile functions, so the file is found in any folder
// Windows can hold (the ANSI ones would take the path through the code page, turning a
// "Łukasz" or "민수" into another folder). The file itself stays in the ANSI code page: the
// system writes a file without a Unicode mark in that code page, keys and values alike.
#include "saver/state/win32_profile_store.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "common/win32_file.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"

namespace mirokan::win32 {
namespace {

// The profile functions take no path of MAX_PATH or more (Wine writes a file of another name
// in the working folder instead): the settings file's short form then, or nothing at all.
std::wstring ProfilePath(std::string_view path) {
  return ShortEnoughPath(Utf8ToWide(path));
}

}  // namespace

std::string Win32ProfileStore::ReadString(std::string_view section, std::string_view key,
                                          std::string_view path) {
  // At least as many characters as the limit has bytes, so the cut below is what decides.
  wchar_t reply[kProfileValueLimit + 1] = {};
  const std::wstring file = ProfilePath(path);
  if (file.empty()) return {};
  GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), L"", reply,
                           static_cast<DWORD>(std::size(reply)), file.c_str());
  reply[std::size(reply) - 1] = L'\0';
  // The limit counts bytes of the code page, as the file holds them; a kanji cut in half
  // there is dropped whole.
  const std::string ansi = WideToAnsi(reply);
  const std::string_view value(ansi);
  std::size_t whole = 0;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t length = IsDBCSLeadByte(static_cast<BYTE>(value[i])) ? 2 : 1;
    if (i + length > std::min(value.size(), kProfileValueLimit)) break;
    i += length;
    whole = i;
  }
  return AnsiToUtf8(value.substr(0, whole));
}

std::string Win32ProfileStore::ReadLongString(std::string_view section, std::string_view key,
                                              std::string_view path) {
  const std::wstring file = ProfilePath(path);
  if (file.empty()) return {};
  // Grown only while the value fills it: every start reads this key, which is mostly absent.
  // A whole path of the longest kind, percent-encoded, fits the last size; a longer value is
  // cut and then does not match the stored path, which is read instead.
  for (std::size_t size = 1024;; size *= 8) {
    std::wstring reply(size, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), L"",
                                 reply.data(), static_cast<DWORD>(size), file.c_str());
    if (length + 1 < size || size >= (1 << 19)) {
      reply.resize(std::min<std::size_t>(length, size));
      return WideToUtf8(reply);
    }
  }
}

bool Win32ProfileStore::WriteString(std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view path) {
  const std::wstring file = ProfilePath(path);
  return !file.empty() &&
         WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                    Utf8ToWide(value).c_str(), file.c_str()) != FALSE;
}

std::string Win32PathForms::InCodePage(std::string_view text) {
  return AnsiToUtf8(Utf8ToAnsi(text));
}

std::string Win32PathForms::ShortForm(std::string_view path) {
  const std::wstring wide = Utf8ToWide(path);
  const DWORD length = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (length == 0) return {};
  std::wstring short_form(length, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), short_form.data(), length);
  if (written == 0 || written >= length) return {};
  short_form.resize(written);
  return WideToUtf8(short_form);
}

bool Win32FileProbe::CanOpenForReading(std::string_view path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open, which is what we want.
  const std::wstring wide = Utf8ToWide(path);
  const std::wstring usable = ShortEnoughPath(wide);
  UniqueFile file(CreateFileW((usable.empty() ? wide : usable).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

}  // namespace mirokan::win32
