// The process: environment, current directory, waits, randomness, the
// command shell and the end of the run.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The value of an environment variable as code page 850 text; empty when unset.
std::string get_env(std::string_view name);
// For tests and child processes; an empty value removes the variable.
void set_env(std::string_view name, std::string_view value);

std::string current_directory();
bool change_directory(std::string_view path);

void sleep_ms(int milliseconds);
// A uniform fraction in [0, 1).
double random_fraction();

// Runs a command line through the system's shell and waits for it to end;
// gives its exit code, or -1 when it could not be started.
int run_command(std::string_view command_line);

// Called, last registered first, when the process ends through end_process;
// used to give the terminal back. A fatal signal runs none of them: the
// terminal backend gives the terminal back from its own handler, since only
// a few system calls are safe there.
void at_process_end(std::function<void()> action);
void run_process_end_actions();
[[noreturn]] void end_process(int exit_code);

}  // namespace platform
