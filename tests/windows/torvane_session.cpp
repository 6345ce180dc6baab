#include "test_support.hpp"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace torvane::testing {
namespace {

constexpr DWORD wait_ms = 30000, answer_ms = 180000;

void send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* answer = nullptr)
{
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, answer_ms, answer ? answer : &ignored))
        throw std::runtime_error("message " + std::to_string(message) + " got no answer");
}

// The middle of the control, in the 0 to 65535 scale of absolute mouse input.
INPUT mouse_input_at(HWND control, DWORD flags)
{
    RECT area{};
    GetWindowRect(control, &area);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ((area.left + area.right) / 2) * 65536 / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = ((area.top + area.bottom) / 2) * 65536 / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

} // namespace

std::string small_integer_matrix(int order, unsigned seed)
{
    std::string text;
    for (int row = 0; row < order; ++row) {
        for (int column = 0; column < order; ++column) {
            seed = seed * 1103515245u + 12345u;
            text += std::to_string(static_cast<int>(seed >> 16) % 19 - 9);
            text += column + 1 < order ? " " : "\r\n";
        }
    }
    return text;
}

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
    // A look at a link to a device never comes back under Wine, nor can Wine remove one.
    for (const std::string& link : unix_links_)
        try {
            run_linux_on(link, "Z:\\bin\\rm -f", false);
        } catch (const std::runtime_error&) {
        }
    unix_links_.clear();
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

void torvane_session::paste(int id, const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block)
        throw std::runtime_error("no memory for the clipboard");
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        throw std::runtime_error("the clipboard cannot be opened");
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;  // the clipboard owns it now
    CloseClipboard();
    if (!placed) {
        GlobalFree(block);
        throw std::runtime_error("the clipboard took no text");
    }
    send(item(id), EM_SETSEL, 0, -1);
    send(item(id), WM_PASTE, 0, 0);
}

void torvane_session::click(int id)
{
    INPUT press[] = {mouse_input_at(item(id), MOUSEEVENTF_MOVE), mouse_input_at(item(id), MOUSEEVENTF_LEFTDOWN),
                     mouse_input_at(item(id), MOUSEEVENTF_LEFTUP)};
    if (SendInput(3, press, sizeof press[0]) != 3)
        throw std::runtime_error("the click was not taken: error " + std::to_string(GetLastError()));
}

void torvane_session::type_key(WORD virtual_key)
{
    INPUT key[2]{};
    for (INPUT& stroke : key) {
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = virtual_key;
    }
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, key, sizeof key[0]) != 2)
        throw std::runtime_error("the key was not taken: error " + std::to_string(GetLastError()));
}

bool torvane_session::holds(const std::string& name) const
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(file(name.c_str()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// Wine starts a Linux program named by its Z: path but cannot wait for it, so what it does
// is waited for: until the directory's listing (Wine gives no attributes for a link to a
// device) shows `name` present, or absent.
void torvane_session::run_linux_on(const std::string& name, const std::string& command, bool leaves_it) const
{
    std::string command_line = command + " " + name;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory_.c_str(),
                        &startup, &started))
        throw std::runtime_error("cannot run " + command_line + ": error " + std::to_string(GetLastError()));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (const ULONGLONG end = GetTickCount64() + wait_ms; GetTickCount64() < end; Sleep(20))
        if (holds(name) == leaves_it)
            return;
    throw std::runtime_error(command_line + " did not finish");
}

void torvane_session::link_to_unix_file(const char* name, const char* target)
{
    run_linux_on(name, std::string("Z:\\bin\\ln -s ") + target, true);
    unix_links_.push_back(name);
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
