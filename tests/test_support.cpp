#include "test_support.hpp"

#include <atomic>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace torvane::testing {

void in_scratch_directory::SetUp()
{
    static std::atomic<int> serial{0};
    previous = std::filesystem::current_path();
    directory = std::filesystem::temp_directory_path() /
                ("torvane-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    std::filesystem::current_path(directory);
}

void in_scratch_directory::TearDown()
{
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::permissions(directory, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(directory, ignored);
}

std::string crlf_lines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (const auto line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string on_disk(std::string_view text)
{
#ifdef _WIN32
    std::string disk;
    for (const char c : text) {
        if (c == '\n')
            disk += '\r';
        disk += c;
    }
    return disk;
#else
    return std::string(text);
#endif
}

void write_file(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string report_of(std::string dimension, std::string data)
{
    scripted_dialog dialog(std::move(dimension), std::move(data));
    compute_run(dialog);
    return dialog.result;
}

std::string report_tail(int n, std::initializer_list<std::string_view> inverse_lines)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "\r\n";
    text += crlf_lines({"", "########################", "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA"});
    text += crlf_lines(inverse_lines);
    text += crlf_lines({"########################"});
    return text;
}

std::string example_report()
{
    return crlf_lines({
        "\xB5\xDA 1\xB2\xBD",
        "1  2   | 1  0  ",
        "0  -2   | -3  1  ",
        "",
        "\xB5\xDA 2\xB2\xBD",
        "1  0   | -2  1  ",
        "0  -2   | -3  1  ",
        "",
        "",
        "",
        "",
        "########################",
        "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA",
        "-2  1  ",
        "1.5  -0.5  ",
        "########################",
    });
}

std::string step_header(int step)
{
    return std::string(step_label_prefix) + std::to_string(step) + std::string(step_label_suffix);
}

} // namespace torvane::testing
