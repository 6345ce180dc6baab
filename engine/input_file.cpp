#include "input_file.hpp"

#include "number_scan.hpp"

#include <cstdio>
#include <memory>

namespace torvane {
namespace {

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Binary mode on every platform: CR and LF are both white space to the extraction, and
// a Ctrl-Z in the text must not end it early on Windows alone.
bool read_whole_file(const std::string& path, std::string& text)
{
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    text.clear();
    char chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text.append(chunk, got);
    return std::ferror(file.get()) == 0;
}

} // namespace

bool input_file::open(const std::string& path)
{
    if (open_ || !read_whole_file(path, text_)) {
        failed_ = true;
        return false;
    }
    pos_ = 0;
    open_ = true;
    return true;
}

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

template <class Scan, class T> bool input_file::extract_with(Scan scan, T& target)
{
    if (!open_ || failed_) {
        failed_ = true;
        return false;
    }
    const char* begin = text_.data();
    const char* pos = begin + pos_;
    const bool ok = scan(pos, begin + text_.size(), target);
    pos_ = static_cast<std::size_t>(pos - begin);
    failed_ = !ok;
    return ok;
}

bool input_file::extract(std::int32_t& target) { return extract_with(scan_int, target); }
bool input_file::extract(float& target) { return extract_with(scan_float, target); }

} // namespace torvane
