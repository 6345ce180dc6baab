// How long a press of 计算 takes in Torvane.exe, from the click to the report in the
// result box, for each program given, in turns so that all meet the same load:
//   torvane_dialog_timing ROUNDS ORDER[,ORDER...] EXE [EXE...]
// Each press sets an order-N matrix of small integers into a fresh window (WM_SETTEXT,
// which no text limit cuts) and clicks;
// the time is that of the click's round trip (BM_CLICK answers once the run is done).

#include "test_support.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace torvane::testing {
namespace {

double seconds_for_one_press(const std::string& exe, int order)
{
    torvane_session session(exe);
    session.enter(std::to_string(order), small_integer_matrix(order));
    const auto start = std::chrono::steady_clock::now();
    if (!session.press_compute())
        throw std::runtime_error("no answer from " + exe);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (session.result_text().empty())
        throw std::runtime_error(exe + " showed no report");
    return took.count();
}

int measure(int rounds, const std::vector<int>& orders, const std::vector<std::string>& programs)
{
    std::vector<std::vector<std::vector<double>>> times(programs.size(), std::vector<std::vector<double>>(orders.size()));
    for (int round = 0; round < rounds; ++round)
        for (std::size_t o = 0; o < orders.size(); ++o)
            for (std::size_t p = 0; p < programs.size(); ++p)
                times[p][o].push_back(seconds_for_one_press(programs[p], orders[o]));
    for (std::size_t p = 0; p < programs.size(); ++p)
        for (std::size_t o = 0; o < orders.size(); ++o) {
            auto& t = times[p][o];
            std::sort(t.begin(), t.end());
            std::printf("order %3d  median %7.2f s  (min %.2f, max %.2f, %d presses)  %s\n", orders[o],
                        t[t.size() / 2], t.front(), t.back(), rounds, programs[p].c_str());
        }
    return 0;
}

} // namespace
} // namespace torvane::testing

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ROUNDS ORDER[,ORDER...] EXE [EXE...]\n", argv[0]);
        return 2;
    }
    std::vector<int> orders;
    std::istringstream list(argv[2]);
    for (std::string order; std::getline(list, order, ',');)
        orders.push_back(std::atoi(order.c_str()));
    return torvane::testing::measure(std::atoi(argv[1]), orders, std::vector<std::string>(argv + 3, argv + argc));
}
