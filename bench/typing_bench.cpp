// Typing benchmark: how fast and how correctly the X11 key sender types a 40-character
// mixed string (plain letters, notation characters, and characters the layout lacks,
// which go through lent keys) into a real window.
//
//   typing_bench TARGET_PROGRAM [RUNS]
//
// Needs DISPLAY (bench/typing.sh starts a private X server). Prints one line per run and
// a summary: median and max milliseconds per string, characters per second at the
// median, and how many runs arrived exactly.
#include "platform/KeyNotation.h"
#include "platform/x11/X11KeySender.h"

#include <QString>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WaitForText(const std::string& path, const std::string& expected, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (ReadFile(path) != expected) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: typing_bench TARGET_PROGRAM [RUNS]\n");
        return 2;
    }
    const std::string targetProgram = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    const QString text = QString::fromUtf8("Pa55w0rd+%^~(x){y} é€ß@µ Grüße_ñ!#$&*=?Ø");
    if (text.size() != 40) {
        std::fprintf(stderr, "the benchmark string must be 40 characters\n");
        return 2;
    }

    char outPath[] = "/tmp/kelpo-typing-XXXXXX";
    const int fd = mkstemp(outPath);
    if (fd >= 0)
        close(fd);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    std::string a0 = targetProgram, a1 = "--out", a2 = outPath;
    char* targetArgv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    pid_t target = -1;
    if (posix_spawn(&target, targetProgram.c_str(), &actions, nullptr, targetArgv, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", targetProgram.c_str());
        return 1;
    }
    close(pipeFds[1]);
    char line[128] = {};
    FILE* targetOut = fdopen(pipeFds[0], "r");
    if (!targetOut || !std::fgets(line, sizeof line, targetOut) ||
        std::string(line).rfind("ready", 0) != 0) {
        std::fprintf(stderr, "the target window did not come up\n");
        kill(target, SIGTERM);
        return 1;
    }

    auto sender = kelpo::X11KeySender::Create();
    if (!sender) {
        std::fprintf(stderr, "no X display with XTest and XKB\n");
        kill(target, SIGTERM);
        return 1;
    }

    // The mixed string, and for comparison one the layout holds entirely.
    const QString plain = QStringLiteral("user.name-2024@example.org/Plain_Text_OK");
    int failures = 0;
    for (const QString& sample : {text, plain}) {
        const std::string want = sample.toStdString();
        const QString keys = kelpo::EscapeForKeys(sample);
        std::vector<double> ms;
        int exact = 0;
        for (int run = 0; run < runs; ++run) {
            sender->SendKeys("^a{DEL}", true);
            WaitForText(outPath, "", 2000);
            const auto start = Clock::now();
            const kelpo::SendResult result = sender->SendKeys(keys, true);
            const double elapsed =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            const bool ok = result == kelpo::SendResult::Ok && WaitForText(outPath, want, 2000);
            exact += ok;
            ms.push_back(elapsed);
            std::printf("run %2d: %7.1f ms %s\n", run + 1, elapsed, ok ? "exact" : "WRONG");
        }
        const double median = Median(ms);
        const double worst = *std::max_element(ms.begin(), ms.end());
        std::printf("\"%s\" x %d runs: median %.1f ms, max %.1f ms, %.0f characters/s at the "
                    "median; %d of %d exact\n",
                    want.c_str(), runs, median, worst, sample.size() * 1000.0 / median, exact,
                    runs);
        failures += runs - exact;
    }

    kill(target, SIGTERM);
    waitpid(target, nullptr, 0);
    unlink(outPath);
    return failures == 0 ? 0 : 1;
}
