#pragma once
// A float as the views write it: as the report prints it, or in the fewest digits that
// give back the exact float (a factor the engine used, so a step can be redone by hand).

#include "format_value.hpp"

#include <charconv>
#include <string>

namespace torvane {

inline std::string report_value_text(float value)
{
    char buffer[max_value_chars + value_scratch_chars];
    return std::string(buffer, format_value(value, buffer));
}

inline std::string shortest_value_text(float value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

} // namespace torvane
