#include "torvane_session.hpp"

#include "resource.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>

namespace torvane::testing {
namespace {

constexpr DWORD wait_ms = 30000;
constexpr DWORD send_timeout_ms = 60000;

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
    char text[256] = {}, name[256] = {};
    GetWindowTextA(window, text, sizeof text);
    GetClassNameA(window, name, sizeof name);
    if (owner != search.process_id || std::string_view(text) != search.caption ||
        (search.class_name && std::string_view(name) != search.class_name))
        return TRUE;
    search.found = window;
    return FALSE;
}

std::string fresh_directory()
{
    static std::atomic<unsigned> counter{0};
    const auto path = std::filesystem::temp_directory_path() /
                      ("torvane-exe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path.string();
}

} // namespace

std::string windows_path(std::string path)
{
    if (!path.empty() && path.front() == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

HWND find_window_of_process(DWORD process_id, const char* caption, const char* class_name)
{
    window_search search{process_id, caption, class_name};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_window_of_process(DWORD process_id, const char* caption)
{
    const ULONGLONG end = GetTickCount64() + wait_ms;
    for (; GetTickCount64() < end; Sleep(20))
        if (HWND window = find_window_of_process(process_id, caption); window && IsWindowVisible(window))
            return window;
    return nullptr;
}

std::string window_text(HWND window)
{
    DWORD_PTR length = 0, copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, send_timeout_ms, &length))
        throw std::runtime_error("WM_GETTEXTLENGTH got no answer");
    std::string text(length + 1, '\0');
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

torvane_session::torvane_session(const std::string& exe) : directory_(fresh_directory())
{
    std::string command_line = "\"" + windows_path(exe) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory_.c_str(),
                        &startup, &process_))
        throw std::runtime_error("cannot start " + command_line + ": error " + std::to_string(GetLastError()));
    window_ = wait_for_window_of_process(process_.dwProcessId, "Torvane");
    if (!window_) {
        end();
        throw std::runtime_error("Torvane.exe showed no window captioned Torvane");
    }
}

torvane_session::~torvane_session() { end(); }

void torvane_session::end()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.hProcess, 99);
    // The directory goes only once the process no longer holds its files.
    WaitForSingleObject(process_.hProcess, wait_ms);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void torvane_session::enter(const std::string& dimension, const std::string& data)
{
    set_window_text(item(IDC_DIMENSION), dimension);
    set_window_text(item(IDC_DATA), data);
}

bool torvane_session::press_compute(DWORD timeout_ms)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(item(IDC_COMPUTE), BM_CLICK, 0, 0, SMTO_NORMAL, timeout_ms, &ignored) != 0;
}

std::string torvane_session::result_text() const { return window_text(item(IDC_RESULT)); }

long torvane_session::close()
{
    DWORD status = 0;
    if (!PostMessageA(window_, WM_CLOSE, 0, 0) || WaitForSingleObject(process_.hProcess, wait_ms) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &status))
        return -1;
    return static_cast<long>(status);
}

} // namespace torvane::testing
