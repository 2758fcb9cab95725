// Profile strings through GetPrivateProfileStringA / WritePrivateProfileStringA: the keys
// carry Japanese text and are stored in the ANSI code page, converted at every call so the
// file reads the same as one written by any other ANSI program on that system.
#include "saver/host/win32_profile_store.h"

#include <windows.h>

#include "common/win32_handles.h"
#include "common/win32_text.h"

namespace mirokan::win32 {

std::string Win32ProfileStore::ReadString(std::string_view section, std::string_view key,
                                          std::string_view path) {
  char reply[kProfileValueLimit + 1] = {};
  const std::string ansi_section = Utf8ToAnsi(section);
  const std::string ansi_key = Utf8ToAnsi(key);
  const std::string ansi_path = Utf8ToAnsi(path);
  GetPrivateProfileStringA(ansi_section.c_str(), ansi_key.c_str(), "", reply, sizeof(reply),
                           ansi_path.c_str());
  reply[sizeof(reply) - 1] = '\0';
  // A cut value may end in the first byte of a double-byte character: drop that half.
  std::string_view value(reply);
  std::size_t whole = 0;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t length = IsDBCSLeadByte(static_cast<BYTE>(value[i])) ? 2 : 1;
    if (i + length > value.size()) break;
    i += length;
    whole = i;
  }
  return AnsiToUtf8(value.substr(0, whole));
}

bool Win32ProfileStore::WriteString(std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view path) {
  const std::string ansi_section = Utf8ToAnsi(section);
  const std::string ansi_key = Utf8ToAnsi(key);
  const std::string ansi_value = Utf8ToAnsi(value);
  const std::string ansi_path = Utf8ToAnsi(path);
  return WritePrivateProfileStringA(ansi_section.c_str(), ansi_key.c_str(), ansi_value.c_str(),
                                    ansi_path.c_str()) != FALSE;
}

bool Win32FileProbe::CanOpenForReading(std::string_view path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open, which is what we want.
  UniqueFile file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

}  // namespace mirokan::win32
