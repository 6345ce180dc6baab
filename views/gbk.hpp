#pragma once
// GBK, the report's and the dialog's character set: a byte from 0x81 to 0xFE begins a
// character of two bytes; every other byte is a character of its own.

namespace torvane {

inline bool is_gbk_lead(char byte) { return static_cast<unsigned char>(byte) >= 0x81 && static_cast<unsigned char>(byte) != 0xFF; }

} // namespace torvane
