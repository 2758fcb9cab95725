// Checks shared by the end-to-end test programs (they use the test framework, which the
// plain helpers of e2e_support.h leave out for the soak and the benchmarks).
#pragma once

#include <gtest/gtest.h>

#include "common/win32_text.h"
#include "e2e_support.h"

namespace mirokan::e2e {

// A message box of process `pid` with this caption and text, which is then dismissed.
testing::AssertionResult MessageBoxShown(
    DWORD pid, const std::wstring& caption, const std::wstring& text,
    std::chrono::milliseconds deadline = std::chrono::seconds(30));

}  // namespace mirokan::e2e
