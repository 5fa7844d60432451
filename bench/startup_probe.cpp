// Measures one start of a window program: the time from starting the process to the
// X server mapping its first top-level window, and the process's peak resident memory
// at that moment. Usage: startup_probe PROGRAM [ARGS...]
// Prints "<milliseconds> <peak KiB> <CPU milliseconds>" (CPU time used until then, which
// a busy machine disturbs less than the wall time), or a message and exit code 1 when no window
// came.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double NowMs() {
    // The monotonic clock, the same in every process of the machine.
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// VmHWM of a running process in KiB, or -1 when it has already ended.
long PeakRssKib(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(file);
    return kib;
}

// User plus system CPU time of a running process in milliseconds, or -1.
double CpuMs(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[n] = 0;
    // Fields 14 and 15 (utime, stime), counted after the command name in parentheses.
    const char* p = std::strrchr(buffer, ')');
    if (!p)
        return -1;
    unsigned long utime = 0, stime = 0;
    if (std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) !=
        2)
        return -1;
    return (utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_probe: cannot open the display\n");
        return 1;
    }
    // Top-level windows are children of the root: their maps arrive as substructure
    // notifications. Subscribing before the start means no map can be missed.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double started = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("startup_probe: exec");
        _exit(127);
    }

    double mappedAt = -1;
    long peak = -1;
    double cpu = -1;
    const double deadline = started + 30000;
    while (mappedAt < 0 && NowMs() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect &&
                event.xmap.event == DefaultRootWindow(display)) {
                mappedAt = NowMs();
                peak = PeakRssKib(child);
                cpu = CpuMs(child);
                break;
            }
        }
        if (mappedAt >= 0)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup_probe: %s ended without a window\n", argv[1]);
            return 1;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 10);
    }

    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    XCloseDisplay(display);
    if (mappedAt < 0) {
        std::fprintf(stderr, "startup_probe: no window from %s within 30 s\n", argv[1]);
        return 1;
    }
    // A program that ended right after mapping (the yardstick does) has no /proc entry
    // left to read; its whole-life peak is the closest there is.
    if (peak < 0)
        peak = usage.ru_maxrss;
    if (cpu < 0)
        cpu = usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
              usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
    std::printf("%.1f %ld %.0f\n", mappedAt - started, peak, cpu);
    return 0;
}
