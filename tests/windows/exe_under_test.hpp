#pragma once
// The Torvane.exe a test drives: the built one, or the one TORVANE_EXE_UNDER_TEST names
// (scripts/test-zip: the copy unpacked from the zip).

#include <cstdlib>
#include <string>

namespace torvane::testing {

inline std::string exe_under_test()
{
    const char* other = std::getenv("TORVANE_EXE_UNDER_TEST");
    return other && *other ? other : TORVANE_EXE;
}

} // namespace torvane::testing
