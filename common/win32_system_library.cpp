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
  // The full path finds the library itself; the search flag keeps the libraries it imports in
  // the system folder too, where the default order would look in the program's folder first.
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without its 2011 loader update knows no search flags; there the default order
  // is all there is.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(path.c_str());
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace mirokan::win32
