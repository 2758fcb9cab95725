#include "common/win32_system_library.h"

#include <string>

namespace mirokan::win32 {

FARPROC SystemProcedure(const wchar_t* library, const char* name) {
  std::wstring path(MAX_PATH, L'\0');
  const UINT length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length == 0 || length >= path.size()) return nullptr;
  path.resize(length);
  path += L'\\';
  path += library;
  // A library already loaded is only counted again: each caller keeps its function for good.
  const HMODULE module = LoadLibraryW(path.c_str());
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace mirokan::win32
