#include "process_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "lasterror.h"

namespace platform::posix {

namespace {

std::vector<char *> Pointers(const std::vector<std::string> &argv) {
    std::vector<char *> pointers;
    for (const std::string &a : argv)
        pointers.push_back(const_cast<char *>(a.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// In a forked child: only async-signal-safe calls from here on.
[[noreturn]] void ExecOrReport(char *const *argv, int reportFd) {
    ::execv(argv[0], argv);
    const int error = errno;
    [[maybe_unused]] ssize_t ignored = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

pid_t WaitFor(pid_t pid, int &status) {
    pid_t done;
    do {
        done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    return done;
}

}  // namespace

bool StartDetached(const std::vector<std::string> &argv) {
    if (argv.empty()) {
        SetLastError(kErrInvalidParameter, "");
        return false;
    }
    std::vector<char *> pointers = Pointers(argv);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    // Fork twice so the program is adopted by init and never becomes our zombie.
    const pid_t middle = ::fork();
    if (middle < 0) {
        SetLastErrorFromErrno(errno);
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (middle == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t program = ::fork();
        if (program == 0) {
            ::signal(SIGPIPE, SIG_DFL);
            const int null = ::open("/dev/null", O_RDONLY);
            if (null >= 0) {
                ::dup2(null, STDIN_FILENO);
                ::close(null);
            }
            ExecOrReport(pointers.data(), report[1]);
        }
        if (program < 0) {
            const int error = errno;
            [[maybe_unused]] ssize_t ignored = ::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int status = 0;
    WaitFor(middle, status);
    // The report pipe closes on a successful exec; a failure sends its errno first.
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n == static_cast<ssize_t>(sizeof error)) {
        SetLastErrorFromErrno(error);
        return false;
    }
    return true;
}

int RunAndWait(const std::vector<std::string> &argv, std::string *output) {
    if (argv.empty())
        return -1;
    std::vector<char *> pointers = Pointers(argv);
    int out[2] = {-1, -1};
    if (output != nullptr && ::pipe2(out, O_CLOEXEC) != 0)
        return -1;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        if (output != nullptr) {
            ::close(out[0]);
            ::close(out[1]);
        }
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            if (output != nullptr)
                ::dup2(null, STDERR_FILENO);
        }
        if (output != nullptr)
            ::dup2(out[1], STDOUT_FILENO);
        ExecOrReport(pointers.data(), report[1]);
    }
    ::close(report[1]);
    if (output != nullptr) {
        ::close(out[1]);
        if (child > 0) {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(out[0], buffer, sizeof buffer);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                output->append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(out[0]);
    }
    int error = 0;
    const ssize_t reported = child > 0 ? ::read(report[0], &error, sizeof error) : 0;
    ::close(report[0]);
    if (child < 0) {
        SetLastErrorFromErrno(errno);
        return -1;
    }
    int status = 0;
    if (WaitFor(child, status) < 0)
        return -1;
    if (reported == static_cast<ssize_t>(sizeof error)) {
        SetLastErrorFromErrno(error);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunWatched(const std::vector<std::string> &argv, const std::function<bool()> &keepGoing,
               std::string &output) {
    constexpr std::size_t kKept = 64 * 1024;
    if (argv.empty())
        return -1;
    std::vector<char *> pointers = Pointers(argv);
    int out[2], report[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return -1;
    if (::pipe2(report, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);  // its own helpers end with it
        ::close(report[0]);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        ExecOrReport(pointers.data(), report[1]);
    }
    ::close(out[1]);
    ::close(report[1]);
    if (child < 0) {
        SetLastErrorFromErrno(errno);
        ::close(out[0]);
        ::close(report[0]);
        return -1;
    }
    ::setpgid(child, child);  // also here, so that no kill can come before the child's own
    bool stopped = false;
    char buffer[4096];
    for (;;) {
        if (!stopped && !keepGoing()) {
            stopped = true;
            ::kill(-child, SIGTERM);
        }
        pollfd wait{out[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // every writer has closed: the program has ended
        output.append(buffer, static_cast<std::size_t>(n));
        if (output.size() > 2 * kKept)
            output.erase(0, output.size() - kKept);
    }
    ::close(out[0]);
    if (output.size() > kKept)
        output.erase(0, output.size() - kKept);
    int error = 0;
    const ssize_t reported = ::read(report[0], &error, sizeof error);
    ::close(report[0]);
    int status = 0;
    if (WaitFor(child, status) < 0)
        return -1;
    if (reported == static_cast<ssize_t>(sizeof error)) {
        SetLastErrorFromErrno(error);
        return -1;
    }
    if (stopped)
        return kStopped;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform::posix
