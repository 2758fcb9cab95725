// Whole-file reads and writes by wide path, so paths outside the ANSI code page work.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mirokan::win32 {

// `path` in a form the calls without long-path support take (shorter than MAX_PATH): itself,
// or its folder's short (8.3) form and its name; empty when neither fits.
std::wstring ShortEnoughPath(const std::wstring& path);

// The folder holding the running program, without a trailing backslash (unless a root).
std::wstring ProgramFolder();

// Who may read a file written here: whom its folder lets, or the user running us alone.
enum class FileReaders { kAsTheFolderSays, kUserOnly };

// Replaces the file as a whole; false, with the old file left as it was, when it could not
// be written completely.
bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);
// The same, with the file's bytes given in pieces written one after another (a header and
// the pixels it describes, without first copying them together). A file for the user alone
// is not written at all when the system cannot say who that is.
bool WriteWholeFile(const std::wstring& path,
                    std::initializer_list<std::span<const std::uint8_t>> pieces,
                    FileReaders readers = FileReaders::kAsTheFolderSays);
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path);

}  // namespace mirokan::win32
