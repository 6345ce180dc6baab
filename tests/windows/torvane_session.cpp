#include "torvane_session.hpp"

#include "resource.h"

#include <stdexcept>

namespace torvane_test {
namespace {

constexpr DWORD start_timeout_ms = 30000;

} // namespace

torvane_session::torvane_session(const std::string& exe)
{
    std::string command_line = "\"" + windows_path(exe) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory_.path().c_str(),
                        &startup, &process_))
        throw std::runtime_error("cannot start " + command_line + ": error " + std::to_string(GetLastError()));
    window_ = wait_for_window_of_process(process_.dwProcessId, "Torvane", start_timeout_ms);
    if (!window_) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, start_timeout_ms);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        throw std::runtime_error("Torvane.exe showed no window captioned Torvane");
    }
}

torvane_session::~torvane_session()
{
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.hProcess, 99);
    // The directory goes only once the process no longer holds its files.
    WaitForSingleObject(process_.hProcess, start_timeout_ms);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
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

} // namespace torvane_test
