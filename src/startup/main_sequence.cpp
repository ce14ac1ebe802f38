#include "startup/main_sequence.h"

#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "startup/session.h"

namespace startup {

MainState main_state;

void run_main_sequence() {
    MainSteps& steps = main_state.steps;
    platform::console().hide_cursor();
    load_session_settings();
    // Settings are read before this, so relative names in them are taken
    // from the directory the program was started in.
    if (!session.root_dir.empty()) platform::change_directory(session.root_dir);
    main_state.module_name = "EXPTYPES";
    if (steps.load_form) steps.load_form();
    if (steps.open_record_file)
        main_state.open_status = steps.open_record_file(EXPENSE_FILE_ID, session.root_dir + "DADES\\TDespesa");
    if (steps.run_main_screen) steps.run_main_screen();
    platform::close_all_files();
    if (steps.close_all_record_files) main_state.open_status = steps.close_all_record_files();
    platform::console().flush();
}

void program_main() {
    run_main_sequence();
    platform::end_process(0);
}

}  // namespace startup
