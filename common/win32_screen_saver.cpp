// The system's screen-saver settings, read afresh at each call: the user may change them in
// the Screen Saver Settings at any time.
#include "common/win32_screen_saver.h"

#include <windows.h>

#include "common/win32_handles.h"

namespace mirokan::win32 {
namespace {

constexpr wchar_t kPolicyDesktopKey[] =
    L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// The identity of a file (its volume and index), or none when it cannot be opened.
struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};
bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
  UniqueFile file(CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

}  // namespace

std::wstring DesktopSetting(const wchar_t* name, Policy policy) {
  for (const wchar_t* key : {kPolicyDesktopKey, kDesktopKey}) {
    if (key == kPolicyDesktopKey && policy == Policy::kIgnored) continue;
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    // An expandable value is expanded and answers as plain text.
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) ==
            ERROR_SUCCESS &&
        value[0] != L'\0') {
      return value;
    }
  }
  return {};
}

std::uint32_t ScreenSaverTimeoutMs() {
  BOOL active = FALSE;
  UINT seconds = 0;
  if (!SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) || !active) return 0;
  if (!SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0)) return 0;
  return seconds * 1000u;
}

bool ScreenSaverLocks() {
  BOOL secure = FALSE;
  if (SystemParametersInfoW(SPI_GETSCREENSAVESECURE, 0, &secure, 0)) return secure != FALSE;
  const std::wstring value = DesktopSetting(L"ScreenSaverIsSecure", Policy::kFirst);
  return !value.empty() && value != L"0";
}

bool SelectedScreenSaverIs(const std::wstring& path) {
  const std::wstring selected = DesktopSetting(L"SCRNSAVE.EXE", Policy::kFirst);
  if (selected.empty()) return false;
  FileIdentity ours, theirs;
  if (IdentityOf(path, ours) && IdentityOf(selected, theirs)) return ours == theirs;
  return CompareStringOrdinal(selected.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace mirokan::win32
