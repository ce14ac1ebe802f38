// The table of open files, opening and creating files, Stat lengths and the
// stop when a file cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "records/operations.h"
#include "records_fixture.h"

namespace {

using namespace records;
using recman_test::make_spec;

using FileTable = RecordsTest;

TEST_F(FileTable, SlotsAreTakenFromFortyDown) {
    write_dictionary("f", expense_spec());
    for (std::int16_t id = 1; id <= 40; ++id) {
        ASSERT_EQ(open_record_file(id, dir.path() + "DADES\\f", record), 0) << id;
        EXPECT_EQ(find_file_slot(id), 41 - id);
    }
    EXPECT_EQ(open_record_file(41, dir.path() + "DADES\\f", record), STATUS_NO_FREE_SLOT);
    EXPECT_EQ(find_file_slot(41), 0);
    ASSERT_EQ(close_all_record_files(), 0);
    EXPECT_EQ(find_file_slot(7), -40);
    ASSERT_EQ(open_record_file(7, dir.path() + "DADES\\f", record), 0);
    EXPECT_EQ(find_file_slot(7), 40);
    EXPECT_EQ(find_file_slot(8), -39);
}

TEST_F(FileTable, AnOpenIdOrIdZeroIsRefusedAndChangesNothing) {
    open_expenses();
    const FileSlot before = records_state.file_table[40];
    EXPECT_EQ(open_record_file(501, dir.path() + "DADES\\Other", record), STATUS_ALREADY_OPEN);
    EXPECT_EQ(open_record_file(0, dir.path() + "DADES\\Other", record), STATUS_ALREADY_OPEN);
    EXPECT_EQ(records_state.file_table[40].position_block, before.position_block);
    EXPECT_EQ(find_file_slot(501), 40);
    EXPECT_FALSE(dir.exists("DADES/Other.dat"));
}

TEST_F(FileTable, NamesSplitAtTheFirstDotOfTheLastComponent) {
    struct Case {
        const char* name;
        const char* path;
        const char* base;
    };
    const Case cases[] = {
        {"DADES\\TDespesa", "DADES\\TDespesa.dat", "TDespesa"},
        {"a.b.c", "a.b.c", "a"},
        {"x.btr", "x.btr", "x"},
        {"dir.v2\\file", "dir.v2\\file.dat", "file"},
        {"C:file.x", "C:file.x", "file"},
        {"a/b.c/d.e", "a/b.c/d.e", "d"},
        {"plain", "plain.dat", "plain"},
    };
    for (const Case& c : cases) {
        const SplitName split = split_record_file_name(c.name);
        EXPECT_EQ(split.path, c.path) << c.name;
        EXPECT_EQ(split.base, c.base) << c.name;
    }
}

TEST_F(FileTable, AMissingFileIsCreatedFromTheDictionaryUnderTheRoot) {
    // The data file lies elsewhere; the dictionary is still the root's.
    write_dictionary("Items", make_spec(40, {{{1, 4, 0}}, {{5, 10, 1}}}));
    std::filesystem::create_directories(dir.path() + "elsewhere");
    std::array<char, 40> items{};
    ASSERT_EQ(open_record_file(9, dir.path() + "elsewhere\\Items", items), 0);
    EXPECT_TRUE(dir.exists("elsewhere/Items.dat"));
    EXPECT_EQ(records_state.file_table[40].record_length, 40);
    EXPECT_EQ(records_state.file_table[40].key_buffer, std::string(4, '\0'));

    const FileLengths key1 = read_file_lengths(9, 1);
    EXPECT_EQ(key1.key_length, 10);
    EXPECT_EQ(key1.record_length, 40);
    const FileLengths key2 = read_file_lengths(9, 2);
    EXPECT_EQ(key2.key_length, 0);
    EXPECT_EQ(key2.record_length, 40);
    const FileLengths closed = read_file_lengths(10, 0);
    EXPECT_EQ(closed.key_length, 0);
    EXPECT_EQ(closed.record_length, 0);
}

TEST_F(FileTable, MultiSegmentKeysAddTheirSegments) {
    write_dictionary("m", make_spec(30, {{{1, 2, 0}}, {{3, 4, 0}, {10, 5, 4}, {20, 3, 0}}, {{25, 6, 1}}}));
    std::array<char, 30> buffer{};
    ASSERT_EQ(open_record_file(3, dir.path() + "DADES\\m", buffer), 0);
    EXPECT_EQ(read_file_lengths(3, 0).key_length, 2);
    EXPECT_EQ(read_file_lengths(3, 1).key_length, 12);
    EXPECT_EQ(read_file_lengths(3, 2).key_length, 6);
}

TEST_F(FileTable, OpeningWaitsInStepsOfThreeSecondsWhileAnotherHoldsTheFile) {
    open_expenses();
    close_all_record_files();
    const std::string sync = dir.path() + "sync";
    std::filesystem::create_directory(sync);
    recman_test::Helper holder({"exclusive", dir.path() + "DADES/TDespesa.dat", sync});
    ASSERT_TRUE(recman_test::wait_for_file(sync + "/ready"));
    on_sleep = [&](std::size_t n) {
        if (n == 3) {
            recman_test::touch(sync + "/go");
            holder.wait();
        }
    };
    ASSERT_EQ(open_record_file(501, dir.path() + "DADES\\TDespesa", record), 0);
    EXPECT_EQ(sleeps, (std::vector<int>{3000, 3000, 3000}));
    EXPECT_EQ(console.row_text(12), std::string(80, ' '));  // no message
}

// The stop ends the process: each case runs in a child that shows, on its
// way out, what the screen held while the program waited for the key.
class StopConsole : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        for (int r = 1; r <= 25; ++r) seen += row_text(r) + "|";
        return HeadlessConsole::wait_event();
    }
    std::string seen;
};

#if GTEST_HAS_DEATH_TEST
TEST_F(FileTable, AFileThatCannotBeOpenedStopsWithAMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* language;
        const char* text;
    };
    const Case cases[] = {
        {"CAT", "NO ES POT ACCEDIR AL FITXER DADES.TDespesa .24."},
        {"SPA", "NO SE PUEDE ACCEDER AL FICHERO DADES.TDespesa .24."},
        {"GLG", "NOM SE PODE ACEDER AO FICHEIRO DADES.TDespesa .24."},
        {"OCI", "NON SE P.+T ACCEDIR ATH FICH.+R DADES.TDespesa .24."},
        {"ENG", "NO ES POT ACCEDIR AL FITXER DADES.TDespesa .24."},
    };
    for (const Case& c : cases) {
        // No dictionary: Create gets spaces and refuses them with 24.
        EXPECT_EXIT(
            {
                startup::session.language_code = c.language;
                static StopConsole stop_console;
                platform::set_console(&stop_console);
                platform::at_process_end([] {
                    std::fprintf(stderr, "%s files=%d slot=%d\n", stop_console.seen.c_str(),
                                 platform::open_file_count(), records_state.file_table[40].file_id);
                });
                open_record_file(501, "DADES\\TDespesa", record);
            },
            ::testing::ExitedWithCode(1), std::string(c.text) + ".*files=0 slot=0")
            << c.language;
    }
}

TEST_F(FileTable, ARecordBufferShorterThanTheRecordStops) {
    write_dictionary("TDespesa", expense_spec());
    auto open_on_ten_bytes = [] {
        std::array<char, 10> small{};
        open_record_file(501, "DADES\\TDespesa", small);
    };
    EXPECT_EXIT(open_on_ten_bytes(), ::testing::ExitedWithCode(1), "");
}
#endif

}  // namespace
