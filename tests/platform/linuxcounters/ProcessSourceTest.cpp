#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/Failure.h"
#include "support/TemporaryDirectory.h"

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform::linuxcounters;

namespace {

const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
const double page = static_cast<double>(::sysconf(_SC_PAGESIZE));

// A /proc of the test's own: each process with its name, its processor ticks (user and
// system), its resident pages and what it read and wrote.
class ProcessTable {
public:
    ProcessTable() { write("proc/uptime", "100.00 0"); }

    void start(int pid, const std::string& name) { write(folder(pid) + "/comm", name); }
    void show(int pid, double user, double system, double pages, double read, double written) {
        // The name in parentheses may hold blanks and parentheses of its own.
        write(folder(pid) + "/stat",
              std::to_string(pid) + " (a (b) c) S 1 1 1 0 -1 4194560 100 0 0 0 " +
                  std::to_string(user) + " " + std::to_string(system) +
                  " 0 0 20 0 1 0 500 1000000 " + std::to_string(pages + 1) + " 0 0 0");
        write(folder(pid) + "/statm", "1000 " + std::to_string(pages) + " 0 0 0 0 0");
        write(folder(pid) + "/io", "rchar: " + std::to_string(read) + "\nwchar: " +
                                       std::to_string(written) + "\nsyscr: 1\nsyscw: 1\n");
    }
    void end(int pid) { std::filesystem::remove_all(root() / folder(pid)); }
    void advance(double seconds) {
        uptime_ += seconds;
        write("proc/uptime", std::to_string(uptime_) + " 0");
    }
    const std::filesystem::path& root() const { return dir_.path(); }

private:
    static std::string folder(int pid) { return "proc/" + std::to_string(pid); }
    void write(const std::string& file, const std::string& text) const {
        std::filesystem::create_directories((root() / file).parent_path());
        std::ofstream(root() / file) << text << '\n';
    }

    test::TemporaryDirectory dir_;
    double uptime_ = 100.0;
};

std::string processPath(const std::string& name, const char* counter) {
    return "\\Process(" + name + ")\\" + counter;
}

} // namespace

// Every process of a name counts, from its own change: one that ends or starts makes no jump.
TEST(ProcessSource, SumsEveryProcessOfANameFromEachOnesChange) {
    ProcessTable table;
    table.start(100, "worker");
    table.start(200, "worker");
    table.start(300, "shell");
    table.start(400, "gnome-shell-cal"); // the kernel keeps 15 bytes of a name
    table.show(100, 10, 10, 100, 1000, 0);
    table.show(200, 50, 0, 200, 0, 0);
    table.show(300, 500, 500, 5000, 0, 0);
    table.show(400, 0, 0, 7, 0, 0);
    LinuxCounterQuery query(table.root());
    const auto cpu = query.addCounter(processPath("worker", "% Processor Time"));
    const auto memory = query.addCounter(processPath("worker", "Working Set"));
    const auto io = query.addCounter(processPath("worker", "IO Data Bytes/sec"));
    const auto longName =
        query.addCounter(processPath("gnome-shell-calendar-server", "Working Set"));
    const auto absent = query.addCounter(processPath("nothing-runs-me", "% Processor Time"));
    for (const char* total : {"_Total", "*"})
        EXPECT_EQ(test::failure([&] { query.addCounter(processPath(total, "Working Set")); }),
                  "PdhAddCounter failed");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 300 * page);
    EXPECT_EQ(query.read(longName), 7 * page);

    table.advance(2.0);
    table.show(100, 10 + ticks, 10 + ticks, 100, 3000, 1000); // two seconds of one processor
    table.show(200, 50 + ticks, 0, 300, 0, 0);                // half a processor
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(cpu), 150.0);
    EXPECT_EQ(query.read(memory), 400 * page);
    EXPECT_DOUBLE_EQ(query.read(io), 1500.0);
    EXPECT_EQ(query.read(absent), 0.0);

    table.end(200);
    table.start(500, "worker");
    table.show(500, 9000, 9000, 50, 1e9, 1e9); // long busy before it was seen: no jump
    table.advance(1.0);
    table.show(100, 10 + 2 * ticks, 10 + ticks, 100, 3000, 1000);
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(cpu), 100.0);
    EXPECT_DOUBLE_EQ(query.read(io), 0.0);
}

// Between scans only the processes already found are read: /proc is listed again when one of
// them ends, or after the relisting interval; a process born since the last scan is named at
// the next one, if it lasts until then.
TEST(ProcessSource, LooksForProcessesAgainOnlyWhenOneEndsOrAfterAWhile) {
    ProcessTable table;
    table.start(100, "worker");
    table.show(100, 0, 0, 100, 0, 0);
    SystemPaths paths = SystemPaths::under(table.root());
    paths.relistEvery = std::chrono::seconds(1);
    LinuxCounterQuery query(SourceReader::create(paths, {}));
    const auto memory = query.addCounter(processPath("worker", "Working Set"));
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 100 * page) << "there from the start: named at once";

    table.start(200, "worker");
    table.show(200, 0, 0, 20, 0, 0);
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 100 * page) << "not looked for yet";

    table.end(100);
    ASSERT_TRUE(query.collect()); // finds that it ended
    ASSERT_TRUE(query.collect()); // and looks: 200 is new
    EXPECT_EQ(query.read(memory), 0.0);
    std::this_thread::sleep_for(paths.relistEvery);
    ASSERT_TRUE(query.collect()); // 200 has lasted: named
    EXPECT_EQ(query.read(memory), 20 * page);
}

namespace {

// A copy of `yes` under a name of the test's own writes to /dev/null as fast as it can: one
// processor, all the time it gets one.
class Spinner {
public:
    explicit Spinner(const std::filesystem::path& folder)
        : program_(folder / ("spin" + std::to_string(::getpid()))) {
        std::filesystem::copy_file("/usr/bin/yes", program_);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const std::string path = program_.string();
        char* const arguments[] = {const_cast<char*>(path.c_str()), nullptr};
        started_ = posix_spawn(&pid_, path.c_str(), &actions, nullptr, arguments, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Spinner() {
        if (started_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return started_; }
    std::string name() const { return program_.filename().string(); }
    // Nanoseconds on a processor, as the scheduler counts them.
    double runNanoseconds() const {
        std::ifstream in(file("schedstat"));
        double nanoseconds = 0.0;
        in >> nanoseconds;
        return nanoseconds;
    }
    double residentBytes() const {
        std::ifstream in(file("status"));
        std::string word;
        while (in >> word && word != "VmRSS:") {
        }
        double kibibytes = 0.0;
        in >> kibibytes;
        return kibibytes * 1024.0;
    }

private:
    std::string file(const char* name) const {
        return "/proc/" + std::to_string(pid_) + "/" + name;
    }

    std::filesystem::path program_;
    pid_t pid_ = 0;
    bool started_ = false;
};

} // namespace

// Processor time of one core, as on Windows, agrees with what the scheduler counted; the
// working set is the resident memory the kernel shows.
TEST(ProcessSource, ReadsASpinningProcessOfThisMachine) {
    if (!std::filesystem::exists("/usr/bin/yes"))
        GTEST_SKIP() << "no /usr/bin/yes to spin with";
    test::TemporaryDirectory folder;
    Spinner spinner(folder.path());
    ASSERT_TRUE(spinner.started());
    LinuxCounterQuery query(SourceReader::create({}, {}));
    const auto cpu = query.addCounter(processPath(spinner.name(), "% Processor Time"));
    const auto memory = query.addCounter(processPath(spinner.name(), "Working Set"));
    const auto io = query.addCounter(processPath(spinner.name(), "IO Data Bytes/sec"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // running, past its start-up

    const double ranBefore = spinner.runNanoseconds();
    const auto start = std::chrono::steady_clock::now();
    query.collect();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    query.collect();
    const double ran = spinner.runNanoseconds() - ranBefore;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double share = 100.0 * ran / 1e9 / elapsed.count();
    EXPECT_NEAR(query.read(cpu), share, 5.0) << "of one processor; it got " << share << " %";
    const bool spare = share > 95.0; // a machine with a processor to spare gave it a whole one
    EXPECT_TRUE(!spare || std::abs(query.read(cpu) - 100.0) <= 10.0) << query.read(cpu);
    EXPECT_NEAR(query.read(memory), spinner.residentBytes(), 0.05 * spinner.residentBytes());
    EXPECT_GT(query.read(io), 0.0);
}
