#include "platform/files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/process.h"

#include "platform/cp850.h"
#include "support/temp_dir.h"

using namespace platform;

namespace {

TEST(Files, ReadWriteAtOneBasedPositions) {
    test_support::TempDir dir;
    const std::string path = dir.path() + "data.bin";
    File f = File::open(path, Access::ReadWrite, Share::Exclusive);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(f.length(), 0);
    EXPECT_TRUE(f.write(1, "hello"));
    EXPECT_TRUE(f.write(5, "O world"));
    EXPECT_EQ(f.length(), 11);
    EXPECT_EQ(f.read(1, 4), "hell");
    EXPECT_EQ(f.read(5, 100), "O world");
    EXPECT_EQ(f.read(12, 3), "");
    EXPECT_FALSE(f.write(0, "x"));
    EXPECT_EQ(f.read(0, 3), "");
    EXPECT_TRUE(f.write(14, "!"));  // past the end: the gap is zeros
    EXPECT_EQ(f.read(11, 4), std::string("d\0\0!", 4));
    EXPECT_TRUE(f.truncate(3));
    EXPECT_EQ(f.read_all(), "hel");
    f.close();
    EXPECT_FALSE(f.is_open());
    EXPECT_EQ(dir.read("data.bin"), "hel");
}

TEST(Files, ReadNeverCreatesAndReadWriteKeepsWhatIsThere) {
    test_support::TempDir dir;
    File missing = File::open(dir.path() + "none.ini", Access::Read, Share::Shared);
    EXPECT_FALSE(missing.is_open());
    EXPECT_EQ(missing.error(), FileError::NotFound);
    EXPECT_FALSE(dir.exists("none.ini"));

    dir.write("keep.tmp", "old bytes");
    File f = File::open(dir.path() + "keep.tmp", Access::ReadWrite, Share::Shared);
    EXPECT_EQ(f.read_all(), "old bytes");
}

TEST(Files, AppendAlwaysWritesAtTheEnd) {
    test_support::TempDir dir;
    dir.write("db.log", "one\r\n");
    {
        File log = File::open(dir.path() + "db.log", Access::Append, Share::Exclusive);
        ASSERT_TRUE(log.is_open());
        EXPECT_TRUE(log.append("two\r\n"));
        EXPECT_TRUE(log.write(1, "three\r\n"));
    }
    EXPECT_EQ(dir.read("db.log"), "one\r\ntwo\r\nthree\r\n");
}

TEST(Files, BackslashesAndCaseAreFoundAgain) {
    test_support::TempDir dir;
    dir.write("dades/tdespesa.dat", "rows");
    dir.write("Locale/Exptypes.lng", "texts");
    EXPECT_TRUE(file_exists(dir.path() + "DADES\\TDespesa.dat"));
    EXPECT_EQ(File::open(dir.path() + "DADES\\TDespesa.dat", Access::Read, Share::Shared).read_all(), "rows");
#ifndef _WIN32
    EXPECT_EQ(native_path(dir.path() + "LOCALE\\EXPTYPES.LNG"), dir.path() + "Locale/Exptypes.lng");
#endif
    // A new file in a folder found without regard to case keeps its own name.
    File created = File::open(dir.path() + "DADES\\New.tmp", Access::ReadWrite, Share::Shared);
    ASSERT_TRUE(created.is_open());
    EXPECT_TRUE(dir.exists("dades/New.tmp"));
    EXPECT_FALSE(file_exists(dir.path() + "NOWHERE\\x.dat"));
    EXPECT_TRUE(is_directory(dir.path() + "DADES"));
    EXPECT_FALSE(is_directory(dir.path() + "DADES\\TDespesa.dat"));
    EXPECT_FALSE(is_directory(dir.path() + "NOWHERE"));
}

TEST(Files, NamesInCodePage850ReachTheFileSystemAsUtf8) {
    test_support::TempDir dir;
    dir.write("Descripció.txt", "x");
    EXPECT_TRUE(file_exists(dir.path() + "DESCRIPCIó.TXT"_cp850));
}

#ifdef _WIN32
TEST(Files, DeviceNamesAreNoFiles) {
    test_support::TempDir dir;
    for (const char* name : {"NUL", "CON", "dades\\nul.dat", "COM1"}) {
        SCOPED_TRACE(name);
        File f = File::open(dir.path() + name, Access::ReadWrite, Share::Shared);
        EXPECT_FALSE(f.is_open());
        EXPECT_NE(f.error(), FileError::None);
    }
}
#endif

TEST(Files, DeleteAndCloseAll) {
    test_support::TempDir dir;
    dir.write("a.tmp", "a");
    EXPECT_TRUE(delete_file(dir.path() + "A.TMP"));
    EXPECT_FALSE(dir.exists("a.tmp"));
    EXPECT_FALSE(delete_file(dir.path() + "A.TMP"));

    const int before = open_file_count();
    File one = File::open(dir.path() + "1.tmp", Access::ReadWrite, Share::Shared);
    File two = File::open(dir.path() + "2.tmp", Access::ReadWrite, Share::Exclusive);
    File moved = std::move(two);
    EXPECT_EQ(open_file_count(), before + 2);
    close_all_files();
    EXPECT_FALSE(one.is_open());
    EXPECT_FALSE(moved.is_open());
    EXPECT_EQ(open_file_count(), 0);
}

TEST(Files, SharingHoldsWithinTheProcess) {
    test_support::TempDir dir;
    const std::string path = dir.path() + "s.tmp";
    File shared = File::open(path, Access::ReadWrite, Share::Shared);
    File reader = File::open(path, Access::Read, Share::Shared);
    EXPECT_TRUE(reader.is_open());
    File exclusive = File::open(path, Access::ReadWrite, Share::Exclusive);
    EXPECT_FALSE(exclusive.is_open());
    EXPECT_EQ(exclusive.error(), FileError::Locked);
    shared.close();
    reader.close();
    exclusive = File::open(path, Access::ReadWrite, Share::Exclusive);
    EXPECT_TRUE(exclusive.is_open());
    EXPECT_FALSE(File::open(path, Access::Read, Share::Shared).is_open());
}

#ifndef _WIN32
// The child tries to open the file and answers through its exit code.
int child_open(const std::string& path, Access access, Share share) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(File::open(path, access, share).is_open() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WEXITSTATUS(status);
}

TEST(Files, NotSharedHoldsBetweenProcesses) {
    test_support::TempDir dir;
    const std::string path = dir.path() + "x.tmp";
    {
        File mine = File::open(path, Access::ReadWrite, Share::Exclusive);
        ASSERT_TRUE(mine.is_open());
        EXPECT_EQ(child_open(path, Access::Read, Share::Shared), 1);
        EXPECT_EQ(child_open(path, Access::Append, Share::Exclusive), 1);
    }
    {
        File mine = File::open(path, Access::Read, Share::Shared);
        EXPECT_EQ(child_open(path, Access::ReadWrite, Share::Shared), 0);
        EXPECT_EQ(child_open(path, Access::ReadWrite, Share::Exclusive), 1);
    }
    EXPECT_EQ(child_open(path, Access::ReadWrite, Share::Exclusive), 0);
}

#else
// Another process (the shell) tries to read the file; `type` fails when the
// file is not shared.
int child_open(const std::string& path) { return run_command("type \"" + path + "\" > NUL"); }

TEST(Files, NotSharedHoldsBetweenProcesses) {
    test_support::TempDir dir;
    const std::string path = dir.path() + "x.tmp";
    {
        File mine = File::open(path, Access::ReadWrite, Share::Exclusive);
        ASSERT_TRUE(mine.is_open());
        EXPECT_NE(child_open(path), 0);
    }
    {
        // `type` shares reading only, so ours must not be writing.
        File mine = File::open(path, Access::Read, Share::Shared);
        EXPECT_EQ(child_open(path), 0);
    }
}
#endif

}  // namespace
