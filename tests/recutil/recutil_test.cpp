// recutil on real files: the sample data round trip, the committed sample
// file against its dump, every refusal with its message and exit code.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "platform/record_manager.h"
#include "recman_support.h"
#include "support/temp_dir.h"

namespace {

using recutil::run_recutil;

struct Outcome {
    int code = 0;
    std::string out;
    std::string err;
};

Outcome recutil_run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome r;
    r.code = run_recutil(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string DICTIONARY = std::string(SAMPLE_INSTALL) + "/ddf/TDespesa.xdf";
const std::string SAMPLE_DATA = std::string(SAMPLE_INSTALL) + "/DADES/TDespesa.dat";
const std::string SAMPLE_DUMP_FILE = SAMPLE_DUMP;

class Recutil : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir.path() + name; }
    test_support::TempDir dir;
};

TEST_F(Recutil, RoundTripsTheSampleData) {
    const std::string sample = read_file(SAMPLE_DUMP_FILE);
    ASSERT_FALSE(sample.empty());
    ASSERT_EQ(recutil_run({"create", file("t.dat"), DICTIONARY}).code, 0);
    const Outcome load = recutil_run({"load", file("t.dat"), SAMPLE_DUMP_FILE});
    ASSERT_EQ(load.code, 0) << load.err;
    EXPECT_EQ(load.out, "loaded 14 records into " + file("t.dat") + "\n");
    const Outcome dump = recutil_run({"dump", file("t.dat")});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, sample);

    // Through the fixed-width form into a second file, and back to CSV.
    ASSERT_EQ(recutil_run({"dump", file("t.dat"), "--fixed", "--output", file("fixed.txt")}).code, 0);
    ASSERT_EQ(recutil_run({"create", file("u.dat"), DICTIONARY}).code, 0);
    ASSERT_EQ(recutil_run({"load", file("u.dat"), file("fixed.txt"), "--fixed"}).code, 0);
    EXPECT_EQ(recutil_run({"dump", file("u.dat")}).out, sample);
    EXPECT_EQ(dir.read("fixed.txt").substr(0, 28), "ALAllotjament              \n");
}

// The sample file ships with the installation: it holds exactly the rows
// of the committed dump, with the dictionary's layout.
TEST_F(Recutil, TheSampleFileHoldsTheCommittedDump) {
    std::filesystem::copy_file(SAMPLE_DATA, file("TDespesa.dat"));
    const Outcome dump = recutil_run({"dump", file("TDespesa.dat")});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, read_file(SAMPLE_DUMP_FILE));
    const Outcome stat = recutil_run({"stat", file("TDespesa.dat")});
    EXPECT_EQ(stat.out,
              "record length 27\npage size 1024\nrecords 14\nkey count 1\n"
              "key 0: 2 bytes, unique\n  segment at 1, 2 bytes\n");
    const Outcome check = recutil_run({"check", file("TDespesa.dat")});
    EXPECT_EQ(check.code, 0) << check.err;
}

TEST_F(Recutil, AnyRecordComesBackExactly) {
    // A binary key and every awkward byte in the text.
    const std::string spec = recman_test::make_spec(12, {{{1, 2, 4}}, {{3, 10, 1}}});
    dir.write("b.xdf", std::string{static_cast<char>(spec.size()), 0} + spec);
    ASSERT_EQ(recutil_run({"create", file("b.dat"), file("b.xdf")}).code, 0);
    const std::string records[] = {
        std::string("\x00\x00", 2) + "a,b\"c\\d\x7F" + '\xD5' + '\xFF',
        std::string("\x01\x00", 2) + std::string(10, '\0'),
        std::string("\xFF\xFF", 2) + "\r\n\t;\"\"\"\" " + '\x87',
    };
    {
        recman_test::Client c;
        ASSERT_EQ(c.open(file("b.dat")), 0);
        for (const auto& r : records) ASSERT_EQ(c.insert(r), 0);
        recman_test::reset();
    }
    for (const char* form : {"--fixed", "--key"}) {
        std::vector<std::string> dump_args{"dump", file("b.dat"), "--output", file("b.txt")};
        std::vector<std::string> load_args{"load", file("c.dat"), file("b.txt")};
        if (std::string(form) == "--fixed") {
            dump_args.push_back("--fixed");
            load_args.push_back("--fixed");
        } else {
            dump_args.insert(dump_args.end(), {"--key", "1"});
        }
        std::filesystem::remove(file("c.dat"));
        ASSERT_EQ(recutil_run(dump_args).code, 0) << form;
        ASSERT_EQ(recutil_run({"create", file("c.dat"), file("b.xdf")}).code, 0);
        const Outcome load = recutil_run(load_args);
        ASSERT_EQ(load.code, 0) << load.err;
        recman_test::Client c;
        c.record_length = 12;
        ASSERT_EQ(c.open(file("c.dat")), 0);
        EXPECT_EQ(recman_test::scan(c), std::vector<std::string>(std::begin(records), std::end(records))) << form;
        recman_test::reset();
    }
}

TEST_F(Recutil, FailuresSayWhatAndExitNonZero) {
    ASSERT_EQ(recutil_run({"create", file("t.dat"), DICTIONARY}).code, 0);
    dir.write("short.xdf", std::string("\x28\x00", 2) + std::string(10, '\0'));
    dir.write("junk.xdf", std::string("\x20\x00", 2) + std::string(32, 'j'));
    dir.write("junk.dat", "not a record file");
    dir.write("header.csv", "\"code\",\"text\"\n\"ZZ\",\"x\"\n");
    dir.write("dup.csv",
              "\"1-2\",\"3-27\"\n\"ZZ\",\"" + std::string(25, 'a') + "\"\n\"ZZ\",\"" + std::string(25, 'b') + "\"\n");
    dir.write("width.csv", "\"1-2\",\"3-27\"\n\"ZZ\",\"short\"\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{}, recutil::EXIT_USAGE, "no command"},
        {{"erase", file("t.dat")}, recutil::EXIT_USAGE, "unknown command erase"},
        {{"stat", file("t.dat"), "--verbose"}, recutil::EXIT_USAGE, "unknown option --verbose"},
        {{"stat"}, recutil::EXIT_USAGE, "usage:"},
        {{"dump", file("t.dat"), "--key"}, recutil::EXIT_USAGE, "--key needs a value"},
        {{"dump", file("t.dat"), "--key", "5"}, recutil::EXIT_USAGE, "there is no key 5"},
        {{"create", file("n.dat"), file("missing.xdf")}, recutil::EXIT_FAILED, "cannot read it"},
        {{"create", file("n.dat"), file("short.xdf")},
         recutil::EXIT_FAILED,
         "says 40 bytes of specification and holds 10"},
        {{"create", file("n.dat"), file("junk.xdf")}, recutil::EXIT_FAILED, "cannot create it: the page size"},
        {{"create", file("t.dat"), DICTIONARY}, recutil::EXIT_FAILED, "the file already exists (status 59)"},
        {{"stat", file("missing.dat")}, recutil::EXIT_FAILED, "cannot open it: the file does not exist (status 12)"},
        {{"check", file("junk.dat")}, recutil::EXIT_FAILED, "it is not a record file"},
        {{"load", file("t.dat"), file("header.csv")}, recutil::EXIT_FAILED, "line 1: the columns are not"},
        {{"load", file("t.dat"), file("dup.csv")},
         recutil::EXIT_FAILED,
         "line 3: a key without duplicates would repeat"},
        {{"load", file("t.dat"), file("width.csv")}, recutil::EXIT_FAILED, "line 2: column 3-27 holds 5 bytes, not 25"},
    };
    for (const Case& c : cases) {
        const Outcome r = recutil_run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // The refused loads left nothing behind.
    EXPECT_EQ(recutil_run({"dump", file("t.dat")}).out, "\"1-2\",\"3-27\"\n");
}

TEST_F(Recutil, CheckFindsDamageAndOwnersAreKept) {
    ASSERT_EQ(recutil_run({"create", file("t.dat"), DICTIONARY, "--owner", "ADM1"}).code, 0);
    EXPECT_NE(recutil_run({"stat", file("t.dat")}).err.find("the owner name is missing or wrong"), std::string::npos);
    ASSERT_EQ(recutil_run({"load", file("t.dat"), SAMPLE_DUMP_FILE, "--owner", "ADM1"}).code, 0);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file("t.dat").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE records SET data = x'00' WHERE k0 = x'4449'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE records SET k0 = x'5A5A' WHERE k0 = x'414C'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const Outcome check = recutil_run({"check", file("t.dat"), "--owner", "ADM1"});
    EXPECT_EQ(check.code, recutil::EXIT_PROBLEMS);
    EXPECT_NE(check.err.find("has 1 bytes, not 27"), std::string::npos) << check.err;
    EXPECT_NE(check.err.find("key 0 is out of order"), std::string::npos) << check.err;
}

}  // namespace
