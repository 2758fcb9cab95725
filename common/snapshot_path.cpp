#include "common/snapshot_path.h"

namespace mirokan {

std::wstring SnapshotPathIn(const std::wstring& folder) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path + kSnapshotFileName;
}

std::wstring RendererCommandLine(std::wstring_view program, std::wstring_view snapshot) {
  // Neither path can hold a quotation mark, so quoting is all the escaping there is.
  return L"\"" + std::wstring(program) + L"\" \"" + std::wstring(snapshot) + L"\"";
}

std::wstring SnapshotArgument(std::wstring_view command_line) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t at = 0;
  // The program's name, as the system reads it: quoted, or up to the first blank.
  if (!command_line.empty() && command_line.front() == L'"') {
    at = command_line.find(L'"', 1);
    at = at == std::wstring_view::npos ? command_line.size() : at + 1;
  } else {
    while (at < command_line.size() && !blank(command_line[at])) ++at;
  }
  while (at < command_line.size() && blank(command_line[at])) ++at;
  std::wstring_view rest = command_line.substr(at);
  if (!rest.empty() && rest.front() == L'"') {
    rest.remove_prefix(1);
    rest = rest.substr(0, rest.find(L'"'));
  }
  while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
  return std::wstring(rest);
}

}  // namespace mirokan
