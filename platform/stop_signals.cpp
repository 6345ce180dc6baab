#include "stop_signals.hpp"

#include <atomic>
#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace torvane {
namespace {

// The signal that asked the run to stop, or 0; written only by the handler, which may
// run on any of the program's threads, and read by the run: atomic, and lock-free, as a
// handler needs.
std::atomic<std::sig_atomic_t> stopping_signal{0};
static_assert(std::atomic<std::sig_atomic_t>::is_always_lock_free, "a signal handler sets stopping_signal");

extern "C" void stop_at_next_step(int signal_number)
{
    std::sig_atomic_t none = 0;
    stopping_signal.compare_exchange_strong(none, signal_number);
}

#ifdef _WIN32

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGBREAK};

void catch_signal(int signal_number) { std::signal(signal_number, stop_at_next_step); }

#else

// Every signal whose default action ends the process and that comes from outside it.
constexpr int stopping_signals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,
                                    SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,
#ifdef SIGSTKFLT
                                    SIGSTKFLT,
#endif
};

// The signals a fault raises. Another process may send them too (a service manager's
// watchdog sends SIGABRT): then they ask the run to stop, as SIGTERM does.
constexpr int fault_signals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS};

// Sent with kill or sigqueue by another process (si_code SI_USER, SI_QUEUE, SI_TKILL are
// not above 0): a request to stop. Raised by this process's own fault or abort(): the
// default action at once, returning to the faulting instruction, or to abort(), which
// raises it again.
extern "C" void stop_if_sent(int signal_number, siginfo_t* info, void*)
{
    if (info != nullptr && info->si_code <= 0 && info->si_pid != getpid()) {
        stop_at_next_step(signal_number);
        return;
    }
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(signal_number, &default_action, nullptr);
}

// Without SA_RESTART: a write to a pipe or a terminal that blocks (a reader that stopped
// reading) returns at the signal instead of going on waiting, so the stop is seen.
void catch_signal(int signal_number, bool fault = false)
{
    struct sigaction now {};
    if (sigaction(signal_number, nullptr, &now) != 0)
        return;
    if (now.sa_handler == SIG_IGN && signal_number == SIGHUP)
        return;  // nohup: the run is meant to outlive its terminal
    struct sigaction stop {};
    if (fault) {
        stop.sa_sigaction = stop_if_sent;
        stop.sa_flags = SA_SIGINFO;
    } else {
        stop.sa_handler = stop_at_next_step;
        stop.sa_flags = 0;
    }
    sigemptyset(&stop.sa_mask);
    sigaction(signal_number, &stop, nullptr);
}

#endif

} // namespace

void stop_on_signals()
{
    for (const int signal_number : stopping_signals)
        catch_signal(signal_number);
#ifndef _WIN32
    for (const int signal_number : fault_signals)
        catch_signal(signal_number, true);
    // The real-time signals end the process by default as well.
    for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number)
        catch_signal(signal_number);
    // A signal blocked by whoever started the program would wait unseen: a closed pipe
    // would then only make each write fail while the run went on to its end. Threads
    // started later take this mask.
    sigset_t caught;
    sigemptyset(&caught);
    for (const int signal_number : stopping_signals)
        sigaddset(&caught, signal_number);
    for (const int signal_number : fault_signals)
        sigaddset(&caught, signal_number);
    pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
#endif
}

int signal_that_stopped() { return stopping_signal.load(); }

std::string signal_name(int signal_number)
{
#ifdef _WIN32
    switch (signal_number) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGBREAK:
        return "SIGBREAK";
    default:
        return "signal " + std::to_string(signal_number);
    }
#else
    if (signal_number >= SIGRTMIN && signal_number <= SIGRTMAX)
        return "SIGRTMIN+" + std::to_string(signal_number - SIGRTMIN);
#ifdef __GLIBC__  // the page's C library has no table of the names
    if (const char* abbreviation = sigabbrev_np(signal_number))
        return std::string("SIG") + abbreviation;
#endif
    return "signal " + std::to_string(signal_number);
#endif
}

} // namespace torvane
