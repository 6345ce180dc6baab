// A long session of Torvane.exe: 1000 presses of 计算 with varied input in one process,
// each checked as it comes. At the end the process must hold no more handles, GDI or USER
// objects and private memory than after a warm-up, and the last report must still be the
// example's, to the byte.

#include "test_support.hpp"
#include "torvane_session.hpp"

#include <psapi.h>

#include <iostream>
#include <vector>

namespace torvane::testing {
namespace {

struct press {
    std::string dimension, data;
    int order;  // of the full report expected; 0: no order, the result box keeps its text
};

// One round: every order from 1 to 8 with fresh numbers, singular matrices, data that ends
// early or is not numbers, and boxes that give no order. The numbers come from a fixed
// linear congruential sequence, so that the texts differ from press to press.
std::vector<press> presses_of_round(std::uint32_t round)
{
    std::uint32_t state = round * 7919u + 1u;
    const auto next = [&state](int low, int high) {
        state = state * 1664525u + 1013904223u;
        return low + static_cast<int>((state >> 8) % static_cast<std::uint32_t>(high - low + 1));
    };
    std::vector<press> presses;
    for (int order = 1; order <= 8; ++order) {
        std::string text;
        for (int entry = 0; entry < order * order; ++entry)
            text += std::to_string(next(-99, 99)) + (next(0, 3) == 0 ? "." + std::to_string(next(0, 99)) : "") +
                    (entry % order == order - 1 ? "\r\n" : " ");
        presses.push_back({std::to_string(order), text, order});
    }
    const std::vector<press> fixed = {
        {"2", "0 0\r\n0 0", 2}, {"2", "1 2\r\n2 4", 2}, {"3", "1 2 3\r\n4 5 6\r\n7 8 9", 3},
        {"4", "0 1 2 3\r\n0 4 5 6\r\n0 7 8 9\r\n0 1 1 1", 4}, {"5", "1 2 3", 5}, {"3", "\r\n", 3},
        {"3", "x y z\r\nfoo bar baz\r\n\xB5\xDA \xA3\xAC", 3}, {"0", "1 2", 0}, {"", "", 0}, {"", "1 2", 0},
        {"-" + std::to_string(next(1, 9)), "1 2", 0}, {"abc", "1 2", 0}, {"3", "", 0}};
    presses.insert(presses.end(), fixed.begin(), fixed.end());
    return presses;
}

// Lines of a full report of order n: 2n - 2 step blocks of n + 2 lines, n breaks from the
// normalisation, the frame's empty line, rule and heading, n rows, the closing rule.
std::size_t report_lines(int n) { return static_cast<std::size_t>((2 * n - 2) * (n + 2) + 2 * n + 4); }

std::size_t line_ends(const std::string& text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

struct process_counters {
    DWORD handles = 0, gdi_objects = 0, user_objects = 0;
    SIZE_T private_bytes = 0;
};

std::ostream& operator<<(std::ostream& out, const process_counters& c)
{
    return out << "handles " << c.handles << ", GDI objects " << c.gdi_objects << ", USER objects " << c.user_objects
               << ", private bytes " << c.private_bytes;
}

// Wine's GetProcessHandleCount answers 0 for every process, so there the handles are
// counted in the system's handle table, which Wine keeps.
DWORD handles_in_system_table(DWORD process_id)
{
    struct entry {
        PVOID object;
        ULONG_PTR process_id, handle;
        ULONG granted_access;
        USHORT creator_back_trace_index, object_type_index;
        ULONG attributes, reserved;
    };
    using query_function = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<query_function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<ULONG_PTR> table(1 << 16);
    for (LONG status; query; table.resize(table.size() * 2)) {
        ULONG needed = 0;
        const auto size = static_cast<ULONG>(table.size() * sizeof(ULONG_PTR));
        status = query(64 /* extended handle information */, table.data(), size, &needed);
        if (status == static_cast<LONG>(0xC0000004))  // the table does not fit yet
            continue;
        if (status < 0)
            return 0;
        const auto* entries = reinterpret_cast<const entry*>(table.data() + 2);
        DWORD count = 0;
        for (ULONG_PTR i = 0; i < table[0]; ++i)
            count += entries[i].process_id == process_id;
        return count;
    }
    return 0;
}

// GetGuiResources answers 0 under Wine, which does not keep them: a 0 is not compared.
// Wine leaves PrivateUsage 0 for another process and gives its private memory as
// PagefileUsage, which Windows gives as the same private commit charge.
process_counters read_counters(HANDLE process)
{
    process_counters counters;
    GetProcessHandleCount(process, &counters.handles);
    if (counters.handles == 0)
        counters.handles = handles_in_system_table(GetProcessId(process));
    counters.gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
    counters.user_objects = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    counters.private_bytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    return counters;
}

// On screen a press takes some 90 ms under Wine, most of it repainting through X;
// minimised some 10 ms. So the dialog is on screen for the first and every tenth round.
void show_dialog(HWND window, bool on_screen)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SYSCOMMAND, on_screen ? SC_RESTORE : SC_MINIMIZE, 0, SMTO_NORMAL, 60000, &ignored);
}

TEST(torvane_exe_soak, a_thousand_presses_leak_nothing_and_the_last_report_is_right)
{
    ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)";
    torvane_session session(TORVANE_EXE);
    // A round holds every kind of press, so the warm-up has met each path.
    constexpr int press_count = 1000, warm_up_presses = 60;
    std::vector<press> round;
    std::string shown;
    process_counters baseline;
    for (int pressed = 0, round_number = 0; pressed < press_count; ++pressed) {
        if (round.empty()) {
            show_dialog(session.window(), round_number % 10 == 0);
            round = presses_of_round(static_cast<std::uint32_t>(round_number++));
        }
        const press p = pressed + 1 < press_count ? round.back() : press{example().dimension, example().data, 2};
        round.pop_back();
        session.enter(p.dimension, p.data);
        ASSERT_TRUE(session.press_compute()) << "press " << pressed << ": the compute button did not answer";
        const std::string result = session.result_text();
        SCOPED_TRACE("press " + std::to_string(pressed) + ", dimension \"" + p.dimension + "\", data \"" + p.data + "\"");
        if (p.order == 0)
            ASSERT_EQ(result, shown);
        else
            ASSERT_EQ(line_ends(result), report_lines(p.order)) << result;
        shown = result;
        if (pressed + 1 == warm_up_presses)
            baseline = read_counters(session.process());
    }
    EXPECT_EQ(shown, example().report);
    const process_counters end = read_counters(session.process());
    std::cout << "after the warm-up: " << baseline << "\nafter " << press_count << " presses: " << end << "\n";

    // An object lost by one kind of press would be lost again by each of the 30 or more
    // presses of that kind after the warm-up; a few may be made once, late and for good (a
    // cached font or brush, a thread of the system's).
    constexpr DWORD object_tolerance = 4;
    EXPECT_NE(end.handles, 0u) << "handle count not reported";
    EXPECT_LE(end.handles, baseline.handles + object_tolerance) << "handles leak";
    if (baseline.gdi_objects != 0) {
        EXPECT_LE(end.gdi_objects, baseline.gdi_objects + object_tolerance) << "GDI objects leak";
    }
    if (baseline.user_objects != 0) {
        EXPECT_LE(end.user_objects, baseline.user_objects + object_tolerance) << "USER objects leak";
    }
    // The heap commits in steps of up to 64 KiB; 256 KiB allows a few and still finds a
    // leak of 280 bytes a press, or of one order-8 report (some 20 KiB) a press of that kind.
    EXPECT_NE(end.private_bytes, 0u) << "private memory not reported";
    EXPECT_LE(end.private_bytes, baseline.private_bytes + 256 * 1024) << "private memory grows";
}

} // namespace
} // namespace torvane::testing
