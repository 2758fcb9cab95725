// Whole-file helpers on CreateFileW.
#include "common/win32_file.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/win32_handles.h"

namespace mirokan::win32 {

namespace {

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

// Full access for the user this process runs as and no one else; protected, so the folder's
// inheritable entries (a shared temporary folder's, say) are not added.
LocalMemory UserOnlyDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  const UniqueKernelHandle owned_token(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) return nullptr;
  wchar_t* sid_text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid_text)) {
    return nullptr;
  }
  const LocalMemory owned_sid_text(sid_text);
  const std::wstring sddl = std::wstring(L"D:P(A;;FA;;;") + sid_text + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return LocalMemory(descriptor);
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  return WriteWholeFile(path, {bytes});
}

bool WriteWholeFile(const std::wstring& path,
                    std::initializer_list<std::span<const std::uint8_t>> pieces,
                    FileReaders readers) {
  SECURITY_ATTRIBUTES security{.nLength = sizeof(security)};
  LocalMemory descriptor;
  if (readers == FileReaders::kUserOnly) {
    descriptor = UserOnlyDescriptor();
    if (!descriptor) return false;
    security.lpSecurityDescriptor = descriptor.get();
  }
  // Written beside the target and renamed over it only when complete: a reader never finds
  // a half-written file, and a failed write leaves the old one as it was. The rename keeps
  // the new file's own security.
  const std::wstring partial = path + L".partial";
  bool written = false;
  {
    UniqueFile file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, descriptor ? &security : nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    written = std::all_of(pieces.begin(), pieces.end(), [&](std::span<const std::uint8_t> piece) {
      return WriteAll(file.Get(), piece);
    });
  }
  if (written && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileW(partial.c_str());
  return false;
}

std::wstring ShortEnoughPath(const std::wstring& path) {
  if (path.size() < MAX_PATH) return path;
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // The short form is asked for under the long-path prefix, which lifts MAX_PATH.
  const bool unc = path.starts_with(L"\\\\");
  const std::wstring folder =
      (unc ? L"\\\\?\\UNC" + path.substr(1, slash - 1) : L"\\\\?\\" + path.substr(0, slash));
  std::wstring short_folder(32768, L'\0');
  const DWORD length = GetShortPathNameW(folder.c_str(), short_folder.data(),
                                         static_cast<DWORD>(short_folder.size()));
  if (length == 0 || length >= short_folder.size()) return {};
  short_folder.resize(length);
  short_folder.erase(0, unc ? 7 : 4);
  if (unc) short_folder.insert(0, L"\\");
  const std::wstring usable = short_folder + path.substr(slash);
  return usable.size() < MAX_PATH ? usable : std::wstring();
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  // A root keeps its backslash ("C:\"), as the folder of a program there is written.
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > (1ll << 31)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                  nullptr) ||
        read == 0) {
      break;
    }
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace mirokan::win32
