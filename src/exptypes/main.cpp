#include <unistd.h>

#include <cstdlib>

#include "platform/terminal_console.h"
#include "startup/main_sequence.h"

int main() {
    // On a terminal the screen is the terminal; without one (tests, pipes)
    // the program runs on the headless console.
    if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) {
        const char* term = std::getenv("TERM");
        static platform::TerminalConsole terminal(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
        if (terminal.start()) platform::set_console(&terminal);
    }
    startup::program_main();
}
