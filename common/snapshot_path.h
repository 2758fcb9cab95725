// Where the saver leaves the desktop snapshot for the renderer.
//
// Both programs know the same places: the user's temporary folder, then the folder both
// programs live in (for a TEMP that names no folder, a removed RAM disk say). A fixed path
// under the Windows folder cannot be written by a standard user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirokan {

inline constexpr wchar_t kSnapshotFileName[] = L"Zarvo.bmp";

// Files that sit beside a snapshot at `path` for a while: the half-written one it is renamed
// from. Whatever else is ever derived from the snapshot's path belongs in this list, so that
// the same clean-up removes it.
inline constexpr const wchar_t* kSnapshotCompanionSuffixes[] = {L".partial"};

// Joins a folder and the snapshot file name with exactly one backslash between them.
std::wstring SnapshotPathIn(const std::wstring& folder);

// The renderer's command line naming the snapshot its session wrote, and that snapshot read
// back from such a line (empty when the line names none: the program's name alone).
std::wstring RendererCommandLine(std::wstring_view program, std::wstring_view snapshot);
std::wstring SnapshotArgument(std::wstring_view command_line);

#ifdef _WIN32
// The places a snapshot may be written, in the order the saver tries them: the temporary
// folder (GetTempPathW) when there is one, then the programs' own folder. Always absolute.
std::vector<std::wstring> SnapshotPlaces();

// The snapshot a renderer reads when no session named one: the first place. A session names
// the file it wrote; no rule that picks among files others may write ("the newest") is safe.
std::wstring SnapshotPath();

// Removes the snapshot and its companions from every place, read-only or not. A file that is
// open is removed once its last reader closes it (the renderer shares its handle for that).
void RemoveSnapshots();
#endif

}  // namespace mirokan
