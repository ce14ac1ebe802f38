#include "platform/terminal_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform::terminal_signals {

namespace {

// Everything the handlers touch, filled while nothing is in a hurry.
struct Handover {
    int in_fd = -1;
    int out_fd = -1;
    termios saved{};
    char leave[160]{};
    std::size_t length = 0;
    // The terminal is the program's: a signal must give it back.
    volatile sig_atomic_t armed = 0;
    volatile sig_atomic_t continued = 0;
    bool installed = false;
    // The self-pipe the handlers write to, to wake a wait for input.
    int wake_read = -1;
    int wake_write = -1;
    // The actions found before ours, given back by disarm.
    struct Previous {
        int signal;
        struct sigaction action;
    };
    std::vector<Previous> previous;
};
Handover handover;

void write_leave() {
    std::size_t done = 0;
    while (done < handover.length) {
        const ssize_t n = ::write(handover.out_fd, handover.leave + done, handover.length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::tcsetattr(handover.in_fd, TCSADRAIN, &handover.saved);
}

// The signals whose default action ends the process (SIGKILL cannot be
// caught), the real-time ones included.
std::vector<int> ending_signals() {
    std::vector<int> s = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
                          SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,  SIGIO};
#ifdef SIGSTKFLT
    s.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
    s.push_back(SIGPWR);
#endif
#ifdef SIGRTMIN
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) s.push_back(sig);
#endif
    return s;
}

void wake() {
    if (handover.wake_write < 0) return;
    const char byte = 1;
    // A full pipe has woken the wait already.
    [[maybe_unused]] const ssize_t n = ::write(handover.wake_write, &byte, 1);
}

// Gives the terminal back, then lets the signal do what it would have done
// (end the process, dump core) with the handler already reset.
void on_ending_signal(int sig) {
    const int saved_errno = errno;
    give_back();
    ::raise(sig);
    errno = saved_errno;
}

void install(int sig, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
}

// Gives the terminal back and stops as SIGTSTP would; continued, asks for
// the terminal to be taken again. A process whose group has no parent in
// the session is not stopped at all: that too asks for it.
void on_stop(int) {
    const int saved_errno = errno;
    give_back();
    install(SIGTSTP, SIG_DFL, 0);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(SIGTSTP);
    install(SIGTSTP, on_stop, 0);
    handover.continued = 1;
    wake();
    errno = saved_errno;
}

void on_continue(int) {
    const int saved_errno = errno;
    handover.continued = 1;
    wake();
    errno = saved_errno;
}

// Wakes the wait for input, so that a resize is painted.
void on_resize(int) {
    const int saved_errno = errno;
    wake();
    errno = saved_errno;
}

// Keeps the action found, to be given back by disarm; true when it
// ignores the signal, which then stays ignored (nohup's SIGHUP).
bool keep_previous(int sig) {
    struct sigaction old {};
    ::sigaction(sig, nullptr, &old);
    handover.previous.push_back({sig, old});
    return old.sa_handler == SIG_IGN;
}

}  // namespace

void arm(int in_fd, int out_fd, const termios& saved, std::string_view leave) {
    handover.in_fd = in_fd;
    handover.out_fd = out_fd;
    handover.saved = saved;
    handover.length = std::min(leave.size(), sizeof handover.leave);
    std::memcpy(handover.leave, leave.data(), handover.length);
    handover.continued = 0;
    handover.armed = 1;
    if (handover.installed) return;
    handover.installed = true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        handover.wake_read = fds[0];
        handover.wake_write = fds[1];
    }
    handover.previous.clear();
    for (const int sig : ending_signals())
        if (!keep_previous(sig)) install(sig, on_ending_signal, SA_RESETHAND | SA_NODEFER);
    if (!keep_previous(SIGTSTP)) install(SIGTSTP, on_stop, 0);
    keep_previous(SIGCONT);
    install(SIGCONT, on_continue, 0);
    keep_previous(SIGWINCH);
    install(SIGWINCH, on_resize, 0);
}

void give_back() {
    if (!handover.armed) return;
    handover.armed = 0;
    write_leave();
}

void disarm() {
    give_back();
    if (!handover.installed) return;
    for (const auto& p : handover.previous) ::sigaction(p.signal, &p.action, nullptr);
    handover.previous.clear();
    handover.installed = false;
    for (int* fd : {&handover.wake_read, &handover.wake_write}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

bool take_continued() {
    if (!handover.continued) return false;
    handover.continued = 0;
    return true;
}

int wake_fd() { return handover.wake_read; }

bool take_wakes() {
    if (handover.wake_read < 0) return false;
    char buf[64];
    bool any = false;
    while (::read(handover.wake_read, buf, sizeof buf) > 0) any = true;
    return any;
}

bool given_back() { return handover.installed && !handover.armed; }

void taken_again() { handover.armed = 1; }

HoldStops::HoldStops() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTSTP);
    sigaddset(&stops, SIGCONT);
    ::sigprocmask(SIG_BLOCK, &stops, &previous_);
}

HoldStops::~HoldStops() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace platform::terminal_signals
