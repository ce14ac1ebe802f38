// Giving the terminal back when a signal ends or stops the process, and
// knowing when it has been continued, so that the terminal backend can take
// the terminal again. The handlers may only write and set the terminal
// mode, so what they send is prepared beforehand.
#pragma once

#include <signal.h>
#include <termios.h>

#include <string_view>

namespace platform::terminal_signals {

// Prepares the giving back (the terminal mode to set again, the bytes that
// leave the program's modes) and installs the handlers: every signal whose
// default ends the process (unless it is ignored), SIGTSTP, SIGCONT and
// SIGWINCH, which only breaks a wait.
void arm(int in_fd, int out_fd, const termios& saved, std::string_view leave);
// Gives the terminal back now, once; safe to call again.
void give_back();
// Gives the terminal back if it is not already, and removes the handlers.
void disarm();

// True once after the process was continued (SIGCONT), or after a stop
// signal that could not stop it: the terminal must be taken again (if it
// was given back) and the screen repainted.
bool take_continued();
// Whether the terminal was given back by a stop signal and is not yet
// taken again.
bool given_back();
// The terminal is the program's again: the next signal gives it back.
void taken_again();

// A descriptor that becomes readable when a resize or a return from a stop
// wants the screen painted, so that a wait for input can watch it beside
// the terminal (a signal that comes just before the wait would otherwise
// be missed); -1 before arm.
int wake_fd();
// Empties it; true when something had come.
bool take_wakes();

// Holds off the stop and continue signals while the terminal is taken
// again, so that a stop cannot slip in between.
class HoldStops {
public:
    HoldStops();
    ~HoldStops();
    HoldStops(const HoldStops&) = delete;
    HoldStops& operator=(const HoldStops&) = delete;

private:
    sigset_t previous_{};
};

}  // namespace platform::terminal_signals
