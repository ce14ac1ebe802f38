#include "exptypes/program.h"
#include "startup/main_sequence.h"

#ifdef _WIN32
#include "platform/win32_console.h"
#else
#include <unistd.h>

#include <cstdlib>

#include "platform/terminal_console.h"
#endif

int main() {
#ifdef _WIN32
    // Lives until the process ends; without a console the run stays headless.
    static const auto win32_console = platform::Win32Console::open();
    if (win32_console) platform::set_console(win32_console.get());
#else
    // On a terminal the screen is the terminal; without one (tests, pipes)
    // the program runs on the headless console.
    if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) {
        const char* term = std::getenv("TERM");
        static platform::TerminalConsole terminal(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
        if (terminal.start()) platform::set_console(&terminal);
    }
#endif
    exptypes::install_program();
    startup::program_main();
}
