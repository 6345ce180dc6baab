#include "input_file.hpp"

#include "number_scan.hpp"

namespace torvane {
namespace {

extraction_stop::cause cause_of(scan_outcome outcome)
{
    switch (outcome) {
    case scan_outcome::end_of_text:
        return extraction_stop::cause::end_of_text;
    case scan_outcome::out_of_range:
        return extraction_stop::cause::out_of_range;
    case scan_outcome::not_a_number:
    case scan_outcome::read:
        break;
    }
    return extraction_stop::cause::not_a_number;
}

} // namespace

bool input_file::open_text(std::string_view text)
{
    if (open_) {
        failed_ = true;
        return false;
    }
    text_.assign(text);
    pos_ = 0;
    open_ = true;
    return true;
}

void input_file::close()
{
    if (!open_) {
        failed_ = true;
        return;
    }
    open_ = false;
    text_.clear();
    text_.shrink_to_fit();
    pos_ = 0;
}

// Only the first failure is kept: every later extraction fails because of it.
void input_file::note_failure(extraction_stop::cause why, std::size_t at)
{
    if (!failed_)
        stop_ = {why, place_of(at)};
    failed_ = true;
}

text_place input_file::place_of(std::size_t at) const
{
    text_place place;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < at && i < text_.size(); ++i)
        if (text_[i] == '\n') {
            ++place.line;
            line_start = i + 1;
        }
    place.byte = at - line_start;
    return place;
}

template <class Scan, class T> bool input_file::extract_with(Scan scan, T& target)
{
    if (!open_) {
        note_failure(extraction_stop::cause::not_open, 0);
        return false;
    }
    const char* begin = text_.data();
    const char* end = begin + text_.size();
    const char* pos = begin + pos_;
    if (failed_)
        return false;
    last_start_ = static_cast<std::size_t>(skip_white_space(pos, end) - begin);
    const scan_outcome outcome = scan(pos, end, target);
    pos_ = static_cast<std::size_t>(pos - begin);
    if (outcome != scan_outcome::read)
        note_failure(cause_of(outcome), last_start_);
    return outcome == scan_outcome::read;
}

bool input_file::extract(std::int32_t& target) { return extract_with(read_int, target); }
bool input_file::extract(float& target) { return extract_with(read_float, target); }

} // namespace torvane
