#pragma once
// `torvane --explain`: the working laid out as a textbook would, one pass at a time: the
// row operations in words with the numbers the engine used, the matrix with its columns
// aligned, then the normalisation, the inverse and an accuracy check. Rows and columns
// are counted from 1.

#include "accuracy_check.hpp"
#include "elimination_record.hpp"
#include "text_table.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace torvane {

// The lines that say what a pass did, each one operation, indented, without line ends.
std::vector<std::string> operation_lines(const pass_record& pass, std::uint32_t order, const explain_style& style);

// The lines of the accuracy check.
std::vector<std::string> accuracy_lines(const accuracy& result, const explain_style& style);

class explain_view {
public:
    explain_view(std::FILE* out, explain_style style) : out_(out), style_(style) {}

    void show_pass(std::uint32_t order, const pass_record& pass);
    // The start when no pass showed it, the normalisation, the inverse and the check.
    void show_end(const elimination_record& record);
    bool output_failed() const { return failed_; }

private:
    void show_start(std::uint32_t order, const std::vector<float>& loaded);
    void emit(const std::string& text);

    std::FILE* out_;
    explain_style style_;
    bool started_ = false;
    bool failed_ = false;
};

} // namespace torvane
