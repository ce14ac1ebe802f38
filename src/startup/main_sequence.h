// The program's entry: the fixed sequence from start to end of a run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace startup {

inline constexpr std::int16_t EXPENSE_FILE_ID = 501;

// The steps that the layers above start-up provide. Each does nothing (or
// gives 0) until the program installs it.
struct MainSteps {
    std::function<void()> load_form;
    std::function<std::int16_t(std::int16_t file_id, const std::string& path)> open_record_file;
    std::function<void()> run_main_screen;
    std::function<std::int16_t()> close_all_record_files;
};

struct MainState {
    std::string module_name;
    std::int16_t open_status = 0;
    MainSteps steps;
};

extern MainState main_state;

// Every step of the run but the end of the process.
void run_main_sequence();
// The whole run: the sequence, then the end of the process with exit code 0.
[[noreturn]] void program_main();

}  // namespace startup
