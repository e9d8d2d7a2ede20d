// Detached starts by a double fork: the middle process is reaped at once, so the companion is
// adopted by init (or the session's subreaper) and never becomes the notepad's zombie.
#include "aquinepad/companions/companion_launcher.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace aquinepad {

namespace {

// Everything between fork and exec must be async-signal-safe (the notepad has other threads whose
// locks a child could inherit held), so the descriptor limit and argv are ready before the fork.
void closeAllBut(int keep, int openMax) {
    const auto closeRange = [openMax](int from, int to) {
        if (from > to)
            return;
        if (close_range(static_cast<unsigned>(from), static_cast<unsigned>(to), 0) == 0)
            return;
        for (int fd = from; fd <= to && fd < openMax; ++fd)
            close(fd);
    };
    // keep can be a standard descriptor number when the notepad was started with that one closed.
    closeRange(STDERR_FILENO + 1, keep - 1);
    closeRange(std::max(keep + 1, STDERR_FILENO + 1), INT_MAX);
}

void resetSignals() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &standard, nullptr); // SIGKILL, SIGSTOP and unused numbers refuse: fine
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

void report(int pipe, int error) {
    while (write(pipe, &error, sizeof error) < 0 && errno == EINTR) {
    }
}

bool startDetached(const std::string& program) {
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const int openMax = static_cast<int>(sysconf(_SC_OPEN_MAX));
    // The companion's exec closes the write end (close-on-exec); a failed exec writes its errno first.
    int errors[2];
    if (pipe2(errors, O_CLOEXEC) != 0)
        return false;

    const pid_t middle = fork();
    if (middle == 0) {
        close(errors[0]);
        setsid();
        resetSignals();
        closeAllBut(errors[1], openMax);
        const pid_t companion = fork();
        if (companion == 0) {
            execv(argv[0], argv);
            report(errors[1], errno);
            _exit(127);
        }
        if (companion < 0)
            report(errors[1], errno);
        _exit(0);
    }
    close(errors[1]);
    if (middle < 0) {
        close(errors[0]);
        return false;
    }

    int error = 0;
    ssize_t got;
    while ((got = read(errors[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(errors[0]);
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    return got == 0;
}

} // namespace

bool startCompanion(const std::filesystem::path& programDir, std::string_view name) {
    return startDetached((programDir / std::filesystem::path(std::string(name))).native());
}

} // namespace aquinepad
