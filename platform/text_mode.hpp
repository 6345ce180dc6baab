#pragma once
// How the system's C library writes a file opened in text mode.

namespace torvane {

// Windows writes each LF as CR LF; elsewhere text mode writes the bytes as they are.
#ifdef _WIN32
constexpr bool text_mode_writes_crlf = true;
#else
constexpr bool text_mode_writes_crlf = false;
#endif

} // namespace torvane
