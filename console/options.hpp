#pragma once
// The console program's command line.

#include <optional>
#include <string>
#include <vector>

namespace torvane {

struct console_options {
    std::optional<std::string> dimension;  // the dimension box text
    std::optional<std::string> data;       // the data box text
    std::optional<std::string> data_file;  // a file holding the data box text
    std::optional<std::string> matrix_file; // a file holding both texts, as mat.data does; "-" for stdin
    std::optional<std::string> html_file;  // where --html writes its page
    std::optional<std::string> latex_file; // where --latex writes its document
    bool explain = false;
    bool exact = false;
    bool raw = false;
    bool help = false;
    bool version = false;
};

struct parsed_options {
    console_options options;
    std::string error;  // empty when the command line was understood
};

parsed_options parse_options(const std::vector<std::string>& arguments);

extern const char* const usage_text;

} // namespace torvane
