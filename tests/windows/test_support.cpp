#include "test_support.hpp"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace torvane_test {
namespace {

std::string join_lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

const char* const rule = "########################";
const char* const inverse_label = "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA"; // 求逆结果：

constexpr DWORD send_timeout_ms = 60000;

} // namespace

std::string example_report()
{
    return join_lines({
        "\xB5\xDA 1\xB2\xBD", // 第 1步
        "1  2   | 1  0  ",
        "0  -2   | -3  1  ",
        "",
        "\xB5\xDA 2\xB2\xBD", // 第 2步
        "1  0   | -2  1  ",
        "0  -2   | -3  1  ",
        "",
        "",
        "",
        "",
        rule,
        inverse_label,
        "-2  1  ",
        "1.5  -0.5  ",
        rule,
    });
}

std::string order_one_report() { return join_lines({"", "", rule, inverse_label, "0.25  ", rule}); }

std::string as_written_in_text_mode(std::string_view text)
{
    std::string disk;
    for (char c : text) {
        if (c == '\n')
            disk += '\r';
        disk += c;
    }
    return disk;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

temp_directory::temp_directory()
{
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("no temporary directory");
    for (;;) {
        path_ = std::string(base) + "torvane-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + path_);
    }
}

temp_directory::~temp_directory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string windows_path(std::string path)
{
    if (!path.empty() && path.front() == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

namespace {

struct window_search {
    DWORD process_id;
    const char* caption;
    const char* class_name;
    HWND found = nullptr;
};

BOOL CALLBACK match_window(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<window_search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.process_id)
        return TRUE;
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::string_view(text) != search.caption)
        return TRUE;
    if (search.class_name) {
        char name[256] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string_view(name) != search.class_name)
            return TRUE;
    }
    search.found = window;
    return FALSE;
}

} // namespace

HWND find_window_of_process(DWORD process_id, const char* caption, const char* class_name)
{
    window_search search{process_id, caption, class_name};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_window_of_process(DWORD process_id, const char* caption, DWORD timeout_ms)
{
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    do {
        HWND window = find_window_of_process(process_id, caption);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
}

std::string window_text(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, send_timeout_ms, &length))
        throw std::runtime_error("WM_GETTEXTLENGTH got no answer");
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             send_timeout_ms, &copied))
        throw std::runtime_error("WM_GETTEXT got no answer");
    text.resize(copied);
    return text;
}

void set_window_text(HWND window, const std::string& text)
{
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                             send_timeout_ms, &ignored))
        throw std::runtime_error("WM_SETTEXT got no answer");
}

} // namespace torvane_test
