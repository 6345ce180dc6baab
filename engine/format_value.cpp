#include "format_value.hpp"

#include <charconv>

namespace torvane {

char* format_value(float value, char* out)
{
    return std::to_chars(out, out + max_value_chars, static_cast<double>(value), std::chars_format::general, 6).ptr;
}

} // namespace torvane
