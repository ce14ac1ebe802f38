// The expense-type program's own costs, on a table of 1,213 rows (the most a
// 16-bit page table was meant to hold):
//
//   FirstScreen    the real binary started on a pseudo-terminal of 80 x 25,
//                  until its first screen (heading and the page's last row)
//                  has reached the terminal; manual time, process start
//                  included;
//   PageChange     save the table page on the screen, load the next one and
//                  paint it, on the headless console (CPU time);
//   PageChangeSent the same on the terminal backend over a pseudo-terminal:
//                  the bytes it sends for one page change, against the cells
//                  that changed;
//   WriteBack      the table rewritten in one transaction (every record
//                  deleted, every row inserted, a db.log line each), with
//                  the syncs SQLite asked for.
//
// Run with --benchmark_repetitions=5 for medians of five.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "exptypes/page_table.h"
#include "exptypes/program.h"
#include "exptypes/state.h"
#include "exptypes/table_screen.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "platform/console.h"
#include "platform/headless_console.h"
#include "platform/key_codes.h"
#include "platform/process.h"
#include "platform/terminal_console.h"
#include "records/file_table.h"
#include "records/insert.h"
#include "records/transaction.h"
#include "startup/main_sequence.h"
#include "startup/session.h"
#include "sync_counter.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ROWS = 1213;

std::string row_bytes(int n) {
    const char* symbols = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string row = {symbols[n / 36], symbols[n % 36]};
    row += "Despesa " + std::to_string(n);
    row.resize(27, ' ');
    return row;
}

// A copy of the sample installation whose table has ROWS rows, with the
// program's form loaded and the table open, as at start.
class Installation {
public:
    Installation() : root_(fs::temp_directory_path() / ("exptypes-bench-" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
        fs::copy(SAMPLE_INSTALL, root_, fs::copy_options::recursive);
        fs::remove(root_ / "DADES" / "TDespesa.dat");
        const std::string root = root_.string() + "/";
        platform::set_env("JOBROOT", root);
        platform::set_env("JOBTMP", root + "SESSIO");
        startup::load_session_settings();
        platform::change_directory(root);
        startup::main_state.module_name = "EXPTYPES";
        exptypes::install_program();
        forms::load_form();
        records::open_record_file(startup::EXPENSE_FILE_ID, root + "DADES\\TDespesa",
                                  std::span<char>(exptypes::exptypes_state.expense_record));
        records::begin_transaction();
        for (int n = 0; n < ROWS; ++n) {
            row_bytes(n).copy(exptypes::exptypes_state.expense_record.data(), 27);
            records::insert_record(startup::EXPENSE_FILE_ID);
        }
        records::end_transaction();
    }
    ~Installation() {
        records::close_all_record_files();
        platform::change_directory(fs::temp_directory_path().string());
        fs::remove_all(root_);
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

Installation& installation() {
    static Installation the;
    return the;
}

// Reads what the terminal got until `done` holds of it; false on a timeout.
template <typename Done>
bool read_until(int fd, std::string& got, Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    char buffer[8192];
    while (!done(got)) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

void first_screen(benchmark::State& state) {
    const std::string root = installation().root().string() + "/";
    // Page 1 shows rows 0 to 43; the last is in the right-hand column.
    const std::string last_row = "Despesa 43";
    for (auto _ : state) {
        winsize size{};
        size.ws_row = 25;
        size.ws_col = 80;
        int master = -1;
        const auto start = Clock::now();
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
        if (pid == 0) {
            ::setenv("TERM", "xterm-256color", 1);
            ::setenv("JOBROOT", root.c_str(), 1);
            ::setenv("JOBTMP", (root + "SESSIO").c_str(), 1);
            ::execl(EXPTYPES_BINARY, EXPTYPES_BINARY, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::string got;
        const bool shown = read_until(master, got, [&](const std::string& g) {
            return g.find("PANTALLA") != std::string::npos && g.find(last_row) != std::string::npos;
        });
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!shown) state.SkipWithError("the first screen did not arrive");
        ::write(master, "\x1b", 1);
        std::string rest;
        read_until(master, rest, [](const std::string&) { return false; });  // until it ends
        ::waitpid(pid, nullptr, 0);
        ::close(master);
    }
}

// The table open and page 1 painted on the console given.
void open_table(platform::Console& console) {
    installation();
    platform::set_console(&console);
    exptypes::open_work_table();
    exptypes::exptypes_state.table_page = 1;
    exptypes::load_page();
    exptypes::paint_screen(1);
    console.flush();
}

void change_page() {
    exptypes::save_page();
    std::int16_t& page = exptypes::exptypes_state.table_page;
    page = page == 1 ? 2 : 1;
    exptypes::load_page();
    exptypes::paint_screen(1);
}

void close_table() {
    exptypes::write_back_work_table(platform::key_codes::KEY_ESC);
    platform::set_console(nullptr);
}

void page_change(benchmark::State& state) {
    platform::HeadlessConsole console;
    open_table(console);
    for (auto _ : state) change_page();
    close_table();
}

void page_change_sent(benchmark::State& state) {
    int master = -1, slave = -1;
    winsize size{};
    size.ws_row = 25;
    size.ws_col = 80;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    double bytes = 0, cells = 0;
    {
        platform::TerminalConsole terminal(slave, slave, "xterm-256color");
        terminal.start();
        open_table(terminal);
        const auto drain = [&] {
            char buffer[65536];
            std::size_t total = 0;
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) total += static_cast<std::size_t>(n);
            return total;
        };
        drain();
        for (auto _ : state) {
            std::vector<platform::Cell> before;
            for (int r = 1; r <= 25; ++r)
                for (int c = 1; c <= 80; ++c) before.push_back(terminal.read_cell(r, c));
            change_page();
            terminal.flush();
            state.PauseTiming();
            bytes += static_cast<double>(drain());
            std::size_t at = 0;
            for (int r = 1; r <= 25; ++r)
                for (int c = 1; c <= 80; ++c) cells += terminal.read_cell(r, c) != before[at++] ? 1 : 0;
            state.ResumeTiming();
        }
        close_table();
        terminal.stop();
    }
    ::close(slave);
    ::close(master);
    state.counters["bytes"] = benchmark::Counter(bytes, benchmark::Counter::kAvgIterations);
    state.counters["cells_changed"] = benchmark::Counter(cells, benchmark::Counter::kAvgIterations);
}

void write_back(benchmark::State& state) {
    platform::HeadlessConsole console;
    installation();
    platform::set_console(&console);
    long syncs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        exptypes::open_work_table();
        forms::forms_state.table_changed = -1;
        const long before = bench::sync_count();
        state.ResumeTiming();
        const std::int16_t status = exptypes::write_back_work_table(platform::key_codes::KEY_F10);
        state.PauseTiming();
        syncs += bench::sync_count() - before;
        if (status != 0) state.SkipWithError("the write-back failed");
        platform::delete_file("db.log");
        state.ResumeTiming();
    }
    platform::set_console(nullptr);
    state.counters["syncs"] = benchmark::Counter(static_cast<double>(syncs), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(first_screen)->Name("FirstScreen")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(page_change)->Name("PageChange")->Unit(benchmark::kMicrosecond);
BENCHMARK(page_change_sent)->Name("PageChangeSent")->Unit(benchmark::kMicrosecond);
BENCHMARK(write_back)->Name("WriteBack")->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    ::signal(SIGPIPE, SIG_IGN);
    bench::install_sync_counter();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
