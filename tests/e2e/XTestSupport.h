#pragma once
// Shared by the X11 end-to-end tests: starting the key target window and reading what it
// received, and a few direct Xlib looks at the server.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Xlib last: its macros clash with Qt's and GoogleTest's names.
#include <X11/Xlib.h>

extern char** environ;

namespace xtest {

inline std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
inline bool WithoutWindowManager() {
    return Env("KELPO_E2E_NO_WM") == "1";
}

// Polls `condition` every 5 ms for up to `ms`; a bound against hanging, not a measurement.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
    for (int waited = 0; !condition(); waited += 5) {
        if (waited > ms)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A running program started with an argument vector, its standard output on a pipe.
// A helper that dies closes the pipe, so reading a line never hangs on it.
class Child {
public:
    Child(const std::string& program, std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_.reset(fdopen(fds[0], "r"));
    }
    ~Child() { Kill(); }
    // The next line of output; empty at the end.
    std::string ReadLine() {
        char line[256];
        if (!out_ || !fgets(line, sizeof line, out_.get()))
            return {};
        return std::string(line, strcspn(line, "\n"));
    }

    // Sends `sig` and reaps the child; returns its wait status.
    int Kill(int sig = SIGTERM) {
        if (pid_ > 0) {
            kill(pid_, sig);
            waitpid(pid_, &status_, 0);
            pid_ = -1;
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::unique_ptr<FILE, int (*)(FILE*)> out_{nullptr, fclose};
    int status_ = 0;
};

// The key target window (tests/e2e/helpers/keytarget.cpp), started and focused. Its record
// lives in the private runtime folder that run-in-x.sh removes at the end.
class Target {
public:
    explicit Target(const std::string& title = "Key target", int x = 100, int y = 100)
        : out_(Env("XDG_RUNTIME_DIR") + "/target-" + std::to_string(++count_)),
          child_(Env("KELPO_BUILD") + "/tests/keytarget",
                 {"--out", out_, "--title", title, "--x", std::to_string(x), "--y",
                  std::to_string(y)}) {
        EXPECT_EQ(std::sscanf(child_.ReadLine().c_str(), "ready %lu", &window_), 1)
            << "the key target window did not start";
    }
    unsigned long Window() const { return window_; }
    std::string Text() const {
        std::ifstream in(out_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Waits until the field holds `expected` (or the bound passes) and returns what it holds.
    std::string WaitForText(const std::string& expected) const {
        WaitUntil([&] { return Text() == expected; });
        return Text();
    }
    void Close() { child_.Kill(); }

private:
    static inline int count_ = 0;
    std::string out_;
    Child child_;
    unsigned long window_ = 0;
};

// A connection for the test's own looks at the server.
struct TestDisplay {
    Display* dpy = XOpenDisplay(nullptr);
    ~TestDisplay() {
        if (dpy)
            XCloseDisplay(dpy);
    }
};

// Runs a command and returns its standard output (for setxkbmap, xkbcomp, xprop).
inline std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    for (int c; p && (c = fgetc(p)) != EOF;)
        out += static_cast<char>(c);
    if (p)
        pclose(p);
    return out;
}

} // namespace xtest
