// Typing benchmark: Kelpo's X11 key sender against `xdotool type` (its default delay),
// typing the same three texts into the same real text field: a 40-character password with
// notation characters, 200 characters of prose, and 30 Latin-1 characters (several of
// them missing from the usual layouts, so the sender lends keys for them).
//
//   typing_bench TARGET_PROGRAM [RUNS] [LABEL]
//
// Needs DISPLAY (bench/typing.sh starts a private X server and sets the layout). For each
// engine and text it prints how many runs arrived exactly, and the median and max time
// from the call to the whole text standing in the field, then the ratio of the two
// engines' 200-character medians. Exits 1 when a run of Kelpo's arrived wrong.
#include "platform/KeyNotation.h"
#include "platform/x11/X11KeySender.h"

#include <QString>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    const char* name;
    QString text;
    int length; // characters, checked at start-up so an edit cannot shift the comparison
};

struct Result {
    int correct = 0;
    std::vector<double> ms; // correct runs only: a wrong run never has the text in place
    std::string firstWrong;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Polls the field until it holds `want`; gives up `settleMs` after `done` first says true
// (the sender finished and nothing more is on its way).
template <typename Done>
std::optional<double> WaitForText(const std::string& path, const std::string& want,
                                  Clock::time_point start, Done done, int settleMs,
                                  std::string* last) {
    std::optional<Clock::time_point> settleEnd;
    for (;;) {
        *last = ReadFile(path);
        if (*last == want)
            return MsSince(start);
        if (!settleEnd && done())
            settleEnd = Clock::now() + std::chrono::milliseconds(settleMs);
        if (settleEnd && Clock::now() > *settleEnd)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

pid_t Spawn(std::vector<std::string> args, int stdoutFd) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Empties the field (select all, delete) and waits until the target has written it out.
bool ClearField(kelpo::X11KeySender& sender, const std::string& path) {
    sender.SendKeys(QStringLiteral("^a{DEL}"), true);
    std::string last;
    return WaitForText(
               path, "", Clock::now(), [] { return true; }, 2000, &last)
        .has_value();
}

Result RunKelpo(kelpo::X11KeySender& sender, const std::string& path, const QString& text,
                int runs) {
    Result r;
    const std::string want = text.toStdString();
    const QString keys = kelpo::EscapeForKeys(text);
    for (int run = 0; run < runs; ++run) {
        if (!ClearField(sender, path))
            break;
        std::string last;
        const auto start = Clock::now();
        const bool sent = sender.SendKeys(keys, true) == kelpo::SendResult::Ok;
        // SendKeys returns once the target has taken the keys in; a Qt target queues them
        // and may still be working through them (writing the field out after each one),
        // which takes a while on a loaded machine.
        const auto ms = WaitForText(
            path, want, start, [] { return true; }, 5000, &last);
        if (sent && ms) {
            ++r.correct;
            r.ms.push_back(*ms);
        } else if (r.firstWrong.empty()) {
            r.firstWrong = sent ? last : "(the sender reported a failure)";
        }
    }
    return r;
}

Result RunXdotool(kelpo::X11KeySender& sender, const std::string& path, const QString& text,
                  int runs) {
    Result r;
    const std::string want = text.toStdString();
    for (int run = 0; run < runs; ++run) {
        if (!ClearField(sender, path))
            break;
        std::string last;
        const auto start = Clock::now();
        const pid_t pid = Spawn({"xdotool", "type", want}, -1);
        if (pid < 0) {
            r.firstWrong = "(xdotool could not be started)";
            break;
        }
        int status = 0;
        bool exited = false;
        auto done = [&] {
            if (!exited)
                exited = waitpid(pid, &status, WNOHANG) == pid;
            return exited;
        };
        const auto ms = WaitForText(path, want, start, done, 5000, &last);
        if (!exited)
            waitpid(pid, &status, 0);
        if (ms) {
            ++r.correct;
            r.ms.push_back(*ms);
        } else if (r.firstWrong.empty()) {
            r.firstWrong = last;
        }
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: typing_bench TARGET_PROGRAM [RUNS] [LABEL]\n");
        return 2;
    }
    const std::string targetProgram = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    const std::string label = argc > 3 ? argv[3] : "current";
    if (runs < 1) {
        std::fprintf(stderr, "RUNS must be a positive number\n");
        return 2;
    }

    const std::vector<Sample> samples = {
        {"password 40", QString::fromUtf8("Tr0ub4dor&3-horse+battery%staple~(x){y}!"), 40},
        {"prose 200",
         QString::fromUtf8("On 12 March 2024, at 09:45, the 3 riders left Oslo for Bergen (about "
                           "463 km); they reached it 2 days on, tired but happy. Cost: 1,250 "
                           "NOK each - \"worth it\", said Anne, who'd planned 7 stops & 4 meals!"),
         200},
        {"latin-1 30", QString::fromUtf8("Zoë Ærøskøbing ßñé £ üç ÂÏ «»¿"), 30},
    };
    for (const Sample& s : samples) {
        if (s.text.size() != s.length) {
            std::fprintf(stderr, "the %s text has %lld characters\n", s.name,
                         static_cast<long long>(s.text.size()));
            return 2;
        }
    }

    char outPath[] = "/tmp/kelpo-typing-XXXXXX";
    const int fd = mkstemp(outPath);
    if (fd < 0) {
        std::perror("mkstemp");
        return 1;
    }
    close(fd);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 1;
    const pid_t target = Spawn({targetProgram, "--out", outPath}, pipeFds[1]);
    close(pipeFds[1]);
    auto endTarget = [&] {
        if (target > 0) {
            kill(target, SIGTERM);
            waitpid(target, nullptr, 0);
        }
        unlink(outPath);
    };
    char line[128] = {};
    FILE* targetOut = fdopen(pipeFds[0], "r");
    if (target < 0 || !targetOut || !std::fgets(line, sizeof line, targetOut) ||
        std::string(line).rfind("ready", 0) != 0) {
        std::fprintf(stderr, "the target window did not come up\n");
        endTarget();
        return 1;
    }

    auto sender = kelpo::X11KeySender::Create();
    if (!sender) {
        std::fprintf(stderr, "no X display with XTest and XKB\n");
        endTarget();
        return 1;
    }

    std::printf("layout %s, %d runs per engine and text; times in ms from the call to the "
                "whole text in the field (correct runs)\n",
                label.c_str(), runs);
    std::printf("%-12s %-8s %9s %9s %9s\n", "text", "engine", "correct", "median", "max");
    int kelpoWrong = 0;
    double kelpoProse = 0, xdotoolProse = 0;
    std::vector<std::string> notes;
    for (const Sample& s : samples) {
        const Result k = RunKelpo(*sender, outPath, s.text, runs);
        const Result x = RunXdotool(*sender, outPath, s.text, runs);
        for (const auto& [engine, r] : {std::pair{"kelpo", &k}, std::pair{"xdotool", &x}}) {
            if (r->ms.empty())
                std::printf("%-12s %-8s %5d/%-3d %9s %9s\n", s.name, engine, r->correct, runs, "-",
                            "-");
            else
                std::printf("%-12s %-8s %5d/%-3d %9.1f %9.1f\n", s.name, engine, r->correct, runs,
                            Median(r->ms), Max(r->ms));
            if (!r->firstWrong.empty())
                notes.push_back(std::string(engine) + ", " + s.name + ": a wrong run left \"" +
                                r->firstWrong + "\"");
        }
        kelpoWrong += runs - k.correct;
        if (s.length == 200) {
            kelpoProse = Median(k.ms);
            xdotoolProse = Median(x.ms);
        }
    }
    for (const std::string& note : notes)
        std::printf("  %s\n", note.c_str());
    const double ratio = xdotoolProse > 0 ? kelpoProse / xdotoolProse : 0;
    std::printf("200 characters, median kelpo / xdotool: %.3f (goal at most %.3f: %s)\n", ratio,
                1.0 / 6, ratio > 0 && ratio <= 1.0 / 6 ? "met" : "NOT met");
    std::printf("every kelpo run correct: %s\n", kelpoWrong == 0 ? "yes" : "NO");

    endTarget();
    return kelpoWrong == 0 ? 0 : 1;
}
