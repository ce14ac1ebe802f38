#include "startup/main_sequence.h"

#ifdef _WIN32
#include "platform/win32_console.h"
#endif

int main() {
#ifdef _WIN32
    // Lives until the process ends; without a console the run stays headless.
    static const auto win32_console = platform::Win32Console::open();
    if (win32_console) platform::set_console(win32_console.get());
#endif
    startup::program_main();
}
