#include "exptypes/main_screen.h"

#include <string>

#include "exptypes/page_table.h"
#include "exptypes/state.h"
#include "exptypes/table_screen.h"
#include "forms/engine.h"
#include "forms/form_tables.h"
#include "forms/state.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/windows.h"
#include "startup/language.h"

namespace exptypes {

using namespace platform::key_codes;
using platform::operator""_cp850;

namespace {

constexpr std::int16_t TABLE_FORM_PAGE = 1;
constexpr std::int16_t QUESTION_FORM_PAGE = 2;
constexpr std::int16_t MESSAGE_ROW = 12;

std::string not_saved_text() {
    return startup::in_session_language("LA TAULA NO S'HA POGUT DESAR. ELS CANVIS NO S'HAN GUARDAT."_cp850,
                                        "LA TABLA NO SE HA PODIDO GUARDAR. LOS CAMBIOS NO SE HAN GUARDADO."_cp850,
                                        "NON SE PUIDO GARDAR A TÁBOA. OS CAMBIOS NON SE GARDARON."_cp850,
                                        "ERA TAULA NON S'A PODUT SAUVAR. ES CAMBIS NON S'AN SAUVAT."_cp850);
}

}  // namespace

std::int16_t table_page_after(std::int16_t page, KeyCode key) {
    if (key == KEY_PGUP && page > 1) return static_cast<std::int16_t>(page - 1);
    // The last page a 16-bit page number reaches takes no page after it.
    if ((key == KEY_PGDN || key == KEY_ENTER) && page < LAST_TABLE_PAGE) return static_cast<std::int16_t>(page + 1);
    return page;
}

std::int16_t confirm_exit(std::int16_t page, KeyCode& key) {
    if (page != TABLE_FORM_PAGE || forms::forms_state.table_changed == 0 || key != KEY_ESC) return 0;
    forms::FormField& answer = forms::form_field(QUESTION_FORM_PAGE, 1);
    forms::store_field_value(answer, "");
    std::int16_t question = QUESTION_FORM_PAGE;
    KeyCode answer_key = 0;
    forms::run_form_page(question, 0, 0, answer_key);
    return answer.value == "S" ? std::int16_t{0} : std::int16_t{-1};
}

void install_program_hooks() {
    forms::ProgramHooks& hooks = forms::forms_state.hooks;
    hooks.paint_screen = paint_screen;
    hooks.confirm_exit = confirm_exit;
}

void run_main_screen() {
    screen::apply_colour_code("n");
    platform::console().clear();
    open_work_table();
    exptypes_state.table_page = 1;
    KeyCode key = 0;
    do {
        exptypes_state.table_page = table_page_after(exptypes_state.table_page, key);
        load_page();
        std::int16_t page = TABLE_FORM_PAGE;
        const std::int16_t may_leave_up = exptypes_state.table_page > 1 ? -1 : 0;
        const std::int16_t may_leave_down = exptypes_state.past_end != 0 ? 0 : -1;
        forms::run_form_page(page, may_leave_up, may_leave_down, key);
        save_page();
    } while (key == KEY_PGUP || key == KEY_PGDN || key == KEY_ENTER);

    const bool wanted = key != KEY_ESC && forms::forms_state.table_changed != 0;
    const bool whole = work_table_whole();
    const std::int16_t status = write_back_work_table(key);
    // The operator leaves believing the table saved: say so when it was not.
    if (wanted && (!whole || status != 0)) screen::show_message_until_key(MESSAGE_ROW, not_saved_text());
}

}  // namespace exptypes
