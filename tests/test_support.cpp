#include "test_support.hpp"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace torvane::testing {

namespace fs = std::filesystem;

// A test started afresh in a child process (a death test) makes its directory inside its
// parent's, which the parent removes: the child may end without tearing down, or give up
// the rights to remove what it made.
void in_scratch_directory::SetUp()
{
    static std::atomic<int> serial{0};
    previous = fs::current_path();
    const char* parent = std::getenv(scratch_parent_variable);
    const fs::path base = parent && *parent ? fs::path(parent) : fs::temp_directory_path();
    directory = base / ("torvane-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(directory);
    fs::create_directories(directory);
    fs::current_path(directory);
}

void in_scratch_directory::TearDown()
{
    fs::current_path(previous);
    std::error_code ignored;
    // A test may have made it, or a directory in it, read-only.
    fs::permissions(directory, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto inside = fs::recursive_directory_iterator(directory, ignored); inside != fs::recursive_directory_iterator();
         inside.increment(ignored))
        if (fs::is_directory(inside->symlink_status(ignored)))  // never through a link, out of it
            fs::permissions(inside->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(directory, ignored);
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string on_disk(std::string_view text)
{
    std::string disk;
    for (const char c : text) {
#ifdef _WIN32
        if (c == '\n')
            disk += '\r';
#endif
        disk += c;
    }
    return disk;
}

std::string platform_path(std::string path)
{
#ifdef _WIN32
    if (path.starts_with('/'))
        path.insert(0, "Z:");
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

namespace {

std::string unescaped(std::string_view field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char c = field[++i];
        const auto at = std::string_view("trnvf").find(c);
        text += at == std::string_view::npos ? c : "\t\r\n\v\f"[at];
    }
    return text;
}

} // namespace

std::vector<std::vector<std::string>> data_table(const std::string& relative)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(read_file(test_data(relative)));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        rows.emplace_back();
        for (std::size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1)
            rows.back().push_back(unescaped(std::string_view(line).substr(start, (tab = line.find('\t', start)) - start)));
    }
    return rows;
}

report_case report_case_named(const std::string& name)
{
    const std::string dir = test_data("reports/" + name + "/");
    return {name, read_file(dir + "dimension"), read_file(dir + "data"), read_file(dir + "mat.result"),
            read_file(dir + "mat.result.fnv1a")};
}

std::vector<report_case> report_cases()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(test_data("reports")))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<report_case> cases;
    for (const auto& name : names)
        cases.push_back(report_case_named(name));
    return cases;
}

namespace {

std::string digest_of(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[static_cast<std::size_t>(i)] = "0123456789abcdef"[hash & 15];
    return std::to_string(bytes.size()) + " " + hex + "\n";
}

} // namespace

::testing::AssertionResult is_report_of(const report_case& c, std::string_view shown)
{
    if (c.digest.empty() ? shown == c.report : digest_of(shown) == c.digest)
        return ::testing::AssertionSuccess();
    const auto at = std::mismatch(shown.begin(), shown.end(), c.report.begin(), c.report.end()).first - shown.begin();
    return ::testing::AssertionFailure() << "differs from byte " << at << " on: \"" << shown.substr(at, 100) << "\"";
}

} // namespace torvane::testing
