// The failure trace through OutputDebugStringW.
#include "common/win32_trace.h"

#include <string>

namespace mirokan::win32 {

void TraceFailure(const wchar_t* call) {
  const DWORD error = GetLastError();
  const std::wstring line =
      std::wstring(L"Mirokan: ") + call + L" failed (error " + std::to_wstring(error) + L")\n";
  OutputDebugStringW(line.c_str());
  SetLastError(error);  // the caller may still read it
}

bool FailedCall(HRESULT result, const wchar_t* call) {
  if (SUCCEEDED(result)) return false;
  wchar_t code[16];
  wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(result));
  const std::wstring line = std::wstring(L"Mirokan: ") + call + L" failed (" + code + L")\n";
  OutputDebugStringW(line.c_str());
  return true;
}

void TraceStop(const wchar_t* where) {
  const std::wstring line = std::wstring(L"Mirokan: an exception stopped in ") + where + L"\n";
  OutputDebugStringW(line.c_str());
}

}  // namespace mirokan::win32
