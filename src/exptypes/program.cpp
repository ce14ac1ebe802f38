#include "exptypes/program.h"

#include <span>
#include <string>

#include "browse/browse_list.h"
#include "calc/calculator.h"
#include "dates/calendar.h"
#include "exptypes/main_screen.h"
#include "exptypes/state.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "platform/cp850.h"
#include "platform/files.h"
#include "platform/process.h"
#include "records/file_table.h"
#include "screen/windows.h"
#include "startup/language.h"
#include "startup/main_sequence.h"
#include "startup/session.h"

namespace exptypes {

using platform::operator""_cp850;

namespace {

constexpr std::int16_t MESSAGE_ROW = 12;
constexpr int BAD_FORM_EXIT_CODE = 2;

std::string form_file_name() {
    return startup::session.root_dir + "FORMS\\" + startup::main_state.module_name + ".JPN";
}

std::string bad_form_text() {
    return startup::in_session_language(
        "FALTA EL FITXER DE PANTALLES O NO ÉS VÀLID: "_cp850, "FALTA EL FICHERO DE PANTALLAS O NO ES VÁLIDO: "_cp850,
        "FALTA O FICHEIRO DE PANTALLAS OU NON É VÁLIDO: "_cp850, "MANCA ETH FICHÈR D'ECRANS O NON EI VALID: "_cp850);
}

// Loads the form; a form the screen cannot run stops the program before
// anything is opened or written.
void load_checked_form() {
    forms::load_form();
    if (form_is_usable()) return;
    screen::show_message_until_key(MESSAGE_ROW, bad_form_text() + form_file_name());
    platform::close_all_files();
    platform::end_process(BAD_FORM_EXIT_CODE);
}

}  // namespace

bool form_is_usable() {
    if (forms::form_page_count() < 2 || forms::form_page(2).field_count < 1) return false;
    const std::int16_t count = forms::form_page(1).field_count;
    if (count < 2 || count % 2 != 0) return false;
    for (std::int16_t f = 1; f <= count; f += 2) {
        if (forms::form_field(1, f).length != CODE_LENGTH) return false;
        if (forms::form_field(1, static_cast<std::int16_t>(f + 1)).length != DESCRIPTION_LENGTH) return false;
    }
    return true;
}

void install_program() {
    startup::MainSteps& steps = startup::main_state.steps;
    steps.load_form = load_checked_form;
    steps.open_record_file = [](std::int16_t file_id, const std::string& path) {
        return records::open_record_file(file_id, path, std::span<char>(exptypes_state.expense_record));
    };
    steps.run_main_screen = run_main_screen;
    steps.close_all_record_files = records::close_all_record_files;
    install_program_hooks();
    browse::install_browse_list();
    calc::install_calculator_hot_key();
    dates::install_calendar_hot_key();
}

}  // namespace exptypes
