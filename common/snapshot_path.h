// Where the saver leaves the desktop snapshot for the renderer.
//
// Both programs compute the same path: the user's temporary folder followed by the file
// name, or, without one, the folder both programs live in. (A fixed path under the Windows
// folder cannot be written by a standard user.)
#pragma once

#include <string>

namespace mirokan {

inline constexpr wchar_t kSnapshotFileName[] = L"Zarvo.bmp";

// Joins a folder and the snapshot file name with exactly one backslash between them.
std::wstring SnapshotPathIn(const std::wstring& folder);

#ifdef _WIN32
// The snapshot path for the current user (GetTempPathW + the file name), always absolute.
std::wstring SnapshotPath();
#endif

}  // namespace mirokan
