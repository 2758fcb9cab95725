// What the system's screen-saver settings say for this user: whether and when a saver starts
// on idleness, which one, and whether it locks the machine on resume.
#pragma once

#include <cstdint>
#include <string>

namespace mirokan::win32 {

// A text value of the user's desktop settings (`Control Panel\Desktop`), or the policy's
// that overrides it where `policy` says so; empty when none holds it.
enum class Policy { kFirst, kIgnored };
std::wstring DesktopSetting(const wchar_t* name, Policy policy);

// The idle time after which the system starts the saver; 0 when none starts.
std::uint32_t ScreenSaverTimeoutMs();

// "On resume, display logon screen". Wine knows no SPI_GETSCREENSAVESECURE; the value the
// system keeps is read then, a policy's before the user's own.
bool ScreenSaverLocks();

// Whether the saver the system starts is the file at `path` (compared as files, so a short
// 8.3 form or another spelling of the same path is the same saver).
bool SelectedScreenSaverIs(const std::wstring& path);

}  // namespace mirokan::win32
