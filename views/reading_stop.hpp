#pragma once
// What the user is told about the reading of the two texts, from the run's own record of
// it: why nothing was computed, when the input gave no positive order, and a note when
// reading the entries stopped before all N x N were read (a comma, a letter, a dimension
// text such as "3x3", too few numbers), since the run then goes on as designed, with the
// missing entries repeating the last value read (0 before any).

#include "matrix_reading.hpp"

#include <string>

namespace torvane {

// Where the two texts came from, so that a place in them is named as the user will look
// for it: a character of a text given on the command line, a line and a column of a file.
struct text_origin {
    enum class source { command_line, data_file, standard_input, matrix_file };
    source data = source::command_line;  // the dimension text is from the command line but for a matrix file
    std::string file;                    // the data file or matrix file ("-": standard input)
    bool line_feed_between = false;      // a matrix file's own line feed lies between the texts
    bool gbk = false;                    // the texts are GBK, as the page keeps its boxes, not UTF-8
};

struct input_texts {
    const std::string& dimension;
    const std::string& data;
    text_origin origin;
};

// Why a run that read no positive order computed nothing; one line without a line end.
std::string no_order_reason(const matrix_reading& reading, const input_texts& texts);

// One line without a line end, or empty when every entry was read.
std::string reading_stop_note(const matrix_reading& reading, const input_texts& texts);

} // namespace torvane
