#include "StartupRuns.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "Stats.h"
#include "ViewerSession.h"
#include "platform/paths.h"

extern char **environ;

namespace tkbench {

namespace {

constexpr double kStartupGoalMs = 300;
constexpr int kPaintTimeoutMs = 10000;
// Nobody starts the program twice within a moment: back to back, a run also pays for the
// display server and the kernel still tidying up after the previous one (measured here:
// about twice the start-up under Xvfb).
constexpr useconds_t kPauseBetweenRunsUs = 500000;

double MillisSince(std::int64_t t0, std::int64_t t) {
    return double(t - t0) / 1e6;
}

struct TChildRun {
    bool ok = false;
    double app = 0, data = 0, shown = 0, paint = 0, cpu = 0, whole = 0, wholeCpu = 0;
};

// Starts the child with the clock reading in its environment and reads its marks line.
TChildRun SpawnChild(const std::string &self, const std::string &productDir,
                     const std::string &book) {
    TChildRun run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Both streams: the marks line, and on failure whatever the child said about it.
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("TK_BENCH_T0_NS=", 0) != 0)
            env.emplace_back(*e);
    const std::int64_t t0 = NowNs();
    env.push_back("TK_BENCH_T0_NS=" + std::to_string(t0));
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string arg0 = self, arg1 = "--product", arg2 = productDir, arg3 = "startup-child";
    std::string arg4 = "--book", arg5 = book;
    char *argv[] = {
        arg0.data(), arg1.data(), arg2.data(), arg3.data(), book.empty() ? nullptr : arg4.data(),
        arg5.data(), nullptr};

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.whole = MillisSince(t0, NowNs());
    run.wholeCpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    const std::size_t marks = text.find("marks app=");
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && marks != std::string::npos &&
             std::sscanf(text.c_str() + marks, "marks app=%lf data=%lf shown=%lf paint=%lf cpu=%lf",
                         &run.app, &run.data, &run.shown, &run.paint, &run.cpu) == 5;
    if (!run.ok)
        std::cerr << "tkviewer_bench: a start-up run failed: " << text << '\n';
    return run;
}

}  // namespace

double ProcessCpuMillis() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
}

int RunStartupChild(int argc, char **argv, const std::string &productDir, const std::string &book) {
    const char *t0Text = std::getenv("TK_BENCH_T0_NS");
    const std::int64_t t0 = t0Text != nullptr ? std::atoll(t0Text) : NowNs();
    QApplication application(argc, argv);
    const std::int64_t appReady = NowNs();
    // The viewer's command line: no dictionary, as when started from a menu, or the one
    // asked for, as a new window passes it.
    std::string bookArgument = book;
    char *viewerArgs[] = {argv[0], bookArgument.data(), nullptr};
    platform::SetCommandLine(book.empty() ? 1 : 2, viewerArgs);
    TViewerSession session(productDir);
    if (!session.Start() || !session.ShowAndWaitForPaint(kPaintTimeoutMs))
        return 1;
    const TStartMarks &marks = session.Marks();
    const double cpu = ProcessCpuMillis();
    std::printf("marks app=%.3f data=%.3f shown=%.3f paint=%.3f cpu=%.3f\n",
                MillisSince(t0, appReady), MillisSince(t0, marks.dataReady),
                MillisSince(t0, marks.windowShown), MillisSince(t0, marks.firstPaint), cpu);
    std::fflush(stdout);
    return 0;
}

int RunStartupSeries(const std::string &self, const std::string &productDir,
                     const std::string &book, int runs) {
    if (!SpawnChild(self, productDir, book).ok)  // warm-up: fills the page cache
        return 1;
    std::vector<double> app, data, shown, paint, cpu, whole, wholeCpu;
    for (int i = 0; i < runs; ++i) {
        usleep(kPauseBetweenRunsUs);
        const TChildRun run = SpawnChild(self, productDir, book);
        if (!run.ok)
            return 1;
        app.push_back(run.app);
        data.push_back(run.data - run.app);
        shown.push_back(run.shown - run.data);
        paint.push_back(run.paint - run.shown);
        cpu.push_back(run.cpu);
        whole.push_back(run.whole);
        wholeCpu.push_back(run.wholeCpu);
    }
    std::cout << "start-up " << (book.empty() ? "as from a menu" : "on the command line's " + book)
              << ":\n";
    std::cout << GoalLine(
                     "start-up to first paint",
                     [&] {
                         std::vector<double> total;
                         for (int i = 0; i < runs; ++i)
                             total.push_back(app[std::size_t(i)] + data[std::size_t(i)] +
                                             shown[std::size_t(i)] + paint[std::size_t(i)]);
                         return total;
                     }(),
                     kStartupGoalMs, true)
              << '\n';
    std::cout << GoalLine("  process + QApplication", app, 0, true) << '\n';
    std::cout << GoalLine("  data module start-up and windows", data, 0, true) << '\n';
    std::cout << GoalLine("  show()", shown, 0, true) << '\n';
    std::cout << GoalLine("  first paint", paint, 0, true) << '\n';
    // Processor time does not grow with the machine's load the way wall time does: on an
    // idle machine with a warm cache the start-up takes about this long.
    std::cout << GoalLine("  processor time to first paint", cpu, kStartupGoalMs, true) << '\n';
    std::cout << GoalLine("whole process (quits at first paint)", whole, kStartupGoalMs, true)
              << '\n';
    std::cout << GoalLine("  processor time of the whole process", wholeCpu, 0, true) << '\n';
    return 0;
}

}  // namespace tkbench
