#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/Failure.h"
#include "support/SystemCopy.h"

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

const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
const double page = static_cast<double>(::sysconf(_SC_PAGESIZE));

// A process of the test's own /proc: its name, its processor ticks and the bytes it read and
// wrote (each half user and system, half read and written), and its resident pages. The name
// in stat's parentheses may hold blanks and parentheses; stat's own resident figure, an
// estimate, is off by one page.
void show(const test::SystemCopy& system, int pid, const char* name, double ticks, double pages,
          double bytes = 0.0) {
    const std::string folder = "proc/" + std::to_string(pid) + "/";
    const std::string half = std::to_string(ticks / 2) + " ";
    system.write(folder + "comm", name);
    system.write(folder + "stat",
                 std::to_string(pid) + " (a (b) c) S 1 1 1 0 -1 4194560 100 0 0 0 " + half + half +
                     "0 0 20 0 1 0 500 1000000 " + std::to_string(pages + 1) + " 0 0 0");
    system.write(folder + "statm", "1000 " + std::to_string(pages) + " 0 0 0 0 0");
    system.write(folder + "io", "rchar: " + std::to_string(bytes / 2) +
                                    "\nwchar: " + std::to_string(bytes / 2) + "\nsyscr: 1");
}

std::string process(const std::string& name, const char* counter) {
    return "\\Process(" + name + ")\\" + counter;
}

} // namespace

// Every process of a name counts, from its own change: one that ends or starts makes no jump.
TEST(ProcessSource, SumsEveryProcessOfANameFromEachOnesChange) {
    const test::SystemCopy system("processes");
    show(system, 100, "worker", 20, 100, 1000);
    show(system, 200, "worker", 50, 200);
    show(system, 300, "shell", 1000, 5000);
    show(system, 400, "gnome-shell-cal", 0, 7); // the kernel keeps 15 bytes of a name
    LinuxCounterQuery query(system.root());
    const auto cpu = query.addCounter(process("worker", "% Processor Time"));
    const auto memory = query.addCounter(process("worker", "Working Set"));
    const auto io = query.addCounter(process("worker", "IO Data Bytes/sec"));
    const auto longName = query.addCounter(process("gnome-shell-calendar-server", "Working Set"));
    const auto absent = query.addCounter(process("nothing-runs-me", "% Processor Time"));
    for (const char* total : {"_Total", "*"})
        EXPECT_EQ(test::failure([&] { query.addCounter(process(total, "Working Set")); }),
                  "PdhAddCounter failed");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 300 * page);
    EXPECT_EQ(query.read(longName), 7 * page);

    system.write("proc/uptime", "102.00 0");
    show(system, 100, "worker", 20 + 2 * tick, 100, 4000); // two seconds of one processor
    show(system, 200, "worker", 50 + tick, 300);           // half a processor
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(cpu), 150.0);
    EXPECT_EQ(query.read(memory), 400 * page);
    EXPECT_DOUBLE_EQ(query.read(io), 1500.0);
    EXPECT_EQ(query.read(absent), 0.0);

    std::filesystem::remove_all(system.root() / "proc/200");
    show(system, 500, "worker", 18000, 50, 2e9); // long busy before it was seen
    system.write("proc/uptime", "103.00 0");
    show(system, 100, "worker", 20 + 3 * tick, 100, 4000);
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(cpu), 100.0);
    EXPECT_DOUBLE_EQ(query.read(io), 0.0);
}

// Between looks only the processes already found are read: /proc is listed again when one of
// them ends, or after the relisting interval; a process born since the last look is named at
// the next one, if it lasts until then.
TEST(ProcessSource, LooksForProcessesAgainOnlyWhenOneEndsOrAfterAWhile) {
    const test::SystemCopy system("processes");
    show(system, 100, "worker", 0, 100);
    SystemPaths paths = SystemPaths::under(system.root());
    paths.relistEvery = std::chrono::seconds(1);
    LinuxCounterQuery query(SourceReader::create(paths, {}));
    const auto memory = query.addCounter(process("worker", "Working Set"));
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 100 * page) << "there from the start: named at once";

    show(system, 200, "worker", 0, 20);
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 100 * page) << "not looked for yet";

    std::filesystem::remove_all(system.root() / "proc/100");
    ASSERT_TRUE(query.collect()); // finds that it ended
    ASSERT_TRUE(query.collect()); // and looks: 200 is new
    EXPECT_EQ(query.read(memory), 0.0);
    std::this_thread::sleep_for(paths.relistEvery);
    ASSERT_TRUE(query.collect()); // 200 has lasted: named
    EXPECT_EQ(query.read(memory), 20 * page);
}

namespace {

// The first number after `key` (the file's first with none) in a file of the process.
double number(pid_t pid, const char* file, const std::string& key = {}) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string word; !key.empty() && in >> word && word != key;) {
    }
    double value = 0.0;
    in >> value;
    return value;
}

} // namespace

// A copy of `yes` under a name of the test's own keeps one processor busy as long as it gets
// one. Its processor time, of one processor as on Windows, agrees with what the scheduler
// counted; its working set is the resident memory the kernel shows.
TEST(ProcessSource, ReadsASpinningProcessOfThisMachine) {
    if (!std::filesystem::exists("/usr/bin/yes"))
        GTEST_SKIP() << "no /usr/bin/yes to spin with";
    const test::TemporaryDirectory folder;
    const auto program = folder.path() / ("spin" + std::to_string(::getpid()));
    std::filesystem::copy_file("/usr/bin/yes", program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t spinner = 0;
    ASSERT_EQ(posix_spawn(&spinner, program.c_str(), &actions, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const std::shared_ptr<void> stop(nullptr, [&](void*) {
        ::kill(spinner, SIGKILL);
        ::waitpid(spinner, nullptr, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // past its start-up

    LinuxCounterQuery query(SourceReader::create({}, {}));
    const std::string name = program.filename().string();
    const auto cpu = query.addCounter(process(name, "% Processor Time"));
    const auto memory = query.addCounter(process(name, "Working Set"));
    const auto io = query.addCounter(process(name, "IO Data Bytes/sec"));
    const double ranBefore = number(spinner, "schedstat"); // nanoseconds on a processor
    const auto start = std::chrono::steady_clock::now();
    query.collect();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    query.collect();
    const double ran = number(spinner, "schedstat") - ranBefore;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double share = 100.0 * ran / 1e9 / elapsed.count();
    EXPECT_NEAR(query.read(cpu), share, 5.0) << "of one processor; it got " << share << " %";
    const bool spare = share > 95.0; // a machine with a processor to spare gave it a whole one
    EXPECT_TRUE(!spare || std::abs(query.read(cpu) - 100.0) <= 10.0) << query.read(cpu);
    const double resident = number(spinner, "status", "VmRSS:") * 1024.0;
    EXPECT_NEAR(query.read(memory), resident, 0.05 * resident);
    EXPECT_GT(query.read(io), 0.0);
}
