#include "read_report.hpp"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace torvane {
namespace {

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::size_t piece_size = std::size_t{1} << 20;

} // namespace

report_file_reader::report_file_reader(std::string path, std::uint64_t expected_bytes)
    : path_(std::move(path)), expected_bytes_(expected_bytes)
{
}

bool report_file_reader::read(const sink& consume)
{
    complete_ = false;
    errno = 0;
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path_.c_str(), "r"));
    if (!file) {
        error_number_ = errno;
        return false;
    }
    std::unique_ptr<char[]> piece(new char[piece_size]);
    std::uint64_t total = 0;
    std::size_t got;
    while ((got = std::fread(piece.get(), 1, piece_size, file.get())) > 0) {
        total += got;
        if (total > expected_bytes_)
            return false;
        consume(std::string_view(piece.get(), got));
    }
    if (std::ferror(file.get())) {
        error_number_ = errno;
        return false;
    }
    complete_ = total == expected_bytes_;
    return complete_;
}

bool read_report(report_source& report, std::string& text)
{
    text.clear();
    return report.read([&text](std::string_view piece) { text.append(piece); });
}

} // namespace torvane
