// The failure trace through OutputDebugStringW. It allocates nothing and cannot throw: it is
// also what a window procedure calls when a handler ran out of memory.
#include "common/win32_trace.h"

namespace mirokan::win32 {
namespace {

// The names are ours and short; a longer one is cut rather than overrun the line.
constexpr int kLineChars = 256;

}  // namespace

void TraceFailure(const wchar_t* call) noexcept {
  const DWORD error = GetLastError();
  wchar_t line[kLineChars];
  wsprintfW(line, L"Mirokan: %.160s failed (error %lu)\n", call, static_cast<unsigned long>(error));
  OutputDebugStringW(line);
  SetLastError(error);  // the caller may still read it
}

bool FailedCall(HRESULT result, const wchar_t* call) noexcept {
  if (SUCCEEDED(result)) return false;
  wchar_t line[kLineChars];
  wsprintfW(line, L"Mirokan: %.160s failed (0x%08lX)\n", call, static_cast<unsigned long>(result));
  OutputDebugStringW(line);
  return true;
}

void TraceStop(const wchar_t* where) noexcept {
  wchar_t line[kLineChars];
  wsprintfW(line, L"Mirokan: an exception stopped in %.160s\n", where);
  OutputDebugStringW(line);
}

}  // namespace mirokan::win32
