// Paints the known test screen on the terminal and waits for a key.
#include <unistd.h>

#include <cstdlib>

#include "platform/terminal_console.h"
#include "test_screen.h"

int main() {
    const char* term = std::getenv("TERM");
    platform::TerminalConsole c(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
    if (!c.start()) return 2;
    test_screen::paint(c);
    c.wait_event();
    c.stop();
    return 0;
}
