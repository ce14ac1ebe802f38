// The expense-type program's own hooks under a browse list.
#include <gtest/gtest.h>

#include "forms/hooks.h"
#include "keys_at_waits.h"
#include "platform/cp850.h"
#include "program_fixture.h"

using platform::operator""_cp850;

namespace {

TEST_F(ProgramTest, ABrowseOverTheExpenseFileListsNoLine) {
    insert_rows(numbered_rows(300));
    KeysAtWaits waits(console);
    forms::BrowseListDef d;
    d.record_file = startup::EXPENSE_FILE_ID;
    d.window_top = 5;
    d.window_left = 20;
    d.window_bottom = 12;
    d.window_right = 60;
    d.heading = "TIPUS";
    forms::forms_state.browse_list_defs.push_back(d);
    waits.keys({platform::key_codes::KEY_ENTER});

    std::int16_t result = 0;
    forms::show_browse_list(forms::browse_list_count(), result);  // what the engine's F4 calls
    EXPECT_EQ(result, -1);
    ASSERT_EQ(waits.shots.size(), 1u);
    const Shot& shot = waits.shots[0];
    EXPECT_EQ(shot.bytes(5, 20, 26), "╔TIPUS═"_cp850.str());
    for (int row = 6; row <= 11; ++row) EXPECT_EQ(shot.bytes(row, 21, 59), std::string(39, ' ')) << row;
    EXPECT_FALSE(dir.exists("SESSIO/Browse.tmp"));
    EXPECT_EQ(file_rows(), numbered_rows(300));
}

}  // namespace
