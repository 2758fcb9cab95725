// Leaves a line in the debugger's output (OutputDebugStringW; Wine 8 prints it on its `seh`
// channel, WINEDEBUG=warn+seh, older Wine on +debugstr) naming a platform call that failed and the
// thread's last error, where the program goes on without that call by design: a failing end-to-end
// run can then say which call failed.
#pragma once

#include <windows.h>

namespace mirokan::win32 {

// "Mirokan: <call> failed (error N)". Reads GetLastError before anything else.
void TraceFailure(const wchar_t* call) noexcept;

// "Mirokan: an exception stopped in <where>", for a handler whose exception must not go on.
void TraceStop(const wchar_t* where) noexcept;

// FAILED(result), traced when so: "Mirokan: <call> failed (0x8XXXXXXX)".
bool FailedCall(HRESULT result, const wchar_t* call) noexcept;

// The call's result, traced when it is null, zero or false.
template <typename Result>
Result Traced(Result result, const wchar_t* call) {
  if (!result) TraceFailure(call);
  return result;
}

}  // namespace mirokan::win32
