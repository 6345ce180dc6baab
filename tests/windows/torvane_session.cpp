#include "test_support.hpp"

#include <filesystem>
#include <stdexcept>

namespace torvane::testing {
namespace {

constexpr DWORD wait_ms = 30000, answer_ms = 60000;

void send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* answer = nullptr)
{
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, answer_ms, answer ? answer : &ignored))
        throw std::runtime_error("message " + std::to_string(message) + " got no answer");
}

} // namespace

std::string window_text(HWND window)
{
    DWORD_PTR length = 0, copied = 0;
    send(window, WM_GETTEXTLENGTH, 0, 0, &length);
    std::string text(length + 1, '\0');
    send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied);
    text.resize(copied);
    return text;
}

torvane_session::torvane_session(const std::string& exe)
{
    static int serial = 0;
    const auto directory = std::filesystem::temp_directory_path() /
                           ("torvane-exe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(directory);
    directory_ = directory.string();
    std::string command_line = "\"" + platform_path(exe) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory_.c_str(),
                        &startup, &process_))
        throw std::runtime_error("cannot start " + command_line + ": error " + std::to_string(GetLastError()));
    // Its visible top-level window captioned "Torvane".
    for (const ULONGLONG end = GetTickCount64() + wait_ms; !window_ && GetTickCount64() < end; Sleep(20))
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, "Torvane"));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process_.dwProcessId && IsWindowVisible(window))
                window_ = window;
        }
    if (!window_) {
        end();
        throw std::runtime_error("Torvane.exe showed no window captioned Torvane");
    }
}

torvane_session::~torvane_session() { end(); }

void torvane_session::end()
{
    if (process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
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
    send(item(IDC_DIMENSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dimension.c_str()));
    send(item(IDC_DATA), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(data.c_str()));
}

bool torvane_session::press_compute()
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(item(IDC_COMPUTE), BM_CLICK, 0, 0, SMTO_NORMAL, answer_ms, &ignored) != 0;
}

long torvane_session::close()
{
    DWORD status = 0;
    if (!PostMessageA(window_, WM_CLOSE, 0, 0) || WaitForSingleObject(process_.hProcess, wait_ms) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &status))
        return -1;
    return static_cast<long>(status);
}

} // namespace torvane::testing
