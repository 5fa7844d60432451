#pragma once
// Shared by the X11 end-to-end tests: starting the key target window and reading what it
// received, and a few direct Xlib looks at the server.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Xlib last: its macros clash with Qt's and GoogleTest's names.
#include <X11/Xlib.h>

extern char** environ;

namespace xtest {

inline bool WithoutWindowManager() {
    const char* v = std::getenv("KELPO_E2E_NO_WM");
    return v && std::string(v) == "1";
}

inline std::string BuildDir() {
    const char* v = std::getenv("KELPO_BUILD");
    return v ? v : ".";
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Polls `condition` every 5 ms for up to `ms`; a bound against hanging, not a measurement.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A running program started with an argument vector, its standard output on a pipe.
class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~Child() {
        Kill();
        if (out_ >= 0)
            close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }

    // The next line of output, waiting at most `ms`; empty on timeout or end.
    std::string ReadLine(int ms = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (true) {
            const auto nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || out_ < 0)
                return {};
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, int(left.count())) <= 0)
                return {};
            char chunk[256];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            buffer_.append(chunk, size_t(n));
        }
    }

    // Sends `sig` and reaps the child; returns its wait status.
    int Kill(int sig = SIGTERM) {
        if (pid_ <= 0)
            return status_;
        kill(pid_, sig);
        return Wait();
    }

    int Wait() {
        if (pid_ > 0) {
            waitpid(pid_, &status_, 0);
            pid_ = -1;
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = 0;
    std::string buffer_;
};

// The key target window (tests/e2e/helpers/keytarget.cpp), started and focused.
class Target {
public:
    explicit Target(const std::string& title = "Key target", int x = 100, int y = 100) {
        char pattern[] = "/tmp/kelpo-target-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0)
            close(fd);
        out_ = pattern;
        child_ = std::make_unique<Child>(BuildDir() + "/tests/keytarget",
                                         std::vector<std::string>{"--out", out_, "--title", title,
                                                                  "--x", std::to_string(x), "--y",
                                                                  std::to_string(y)});
        const std::string line = child_->ReadLine();
        if (line.rfind("ready ", 0) == 0)
            window_ = std::stoul(line.substr(6));
    }
    ~Target() {
        child_.reset();
        unlink(out_.c_str());
    }

    bool Ready() const { return window_ != 0; }
    unsigned long Window() const { return window_; }
    std::string Text() const { return ReadFile(out_); }
    // Waits until the field holds `expected` (or the bound passes) and returns what it holds.
    std::string WaitForText(const std::string& expected, int ms = 5000) const {
        WaitUntil([&] { return Text() == expected; }, ms);
        return Text();
    }
    void Close() { child_.reset(); }
    Child& Process() { return *child_; }

private:
    std::string out_;
    std::unique_ptr<Child> child_;
    unsigned long window_ = 0;
};

// A connection for the test's own looks at the server.
struct TestDisplay {
    TestDisplay() : dpy(XOpenDisplay(nullptr)) {}
    ~TestDisplay() {
        if (dpy)
            XCloseDisplay(dpy);
    }
    Display* dpy;
};

// Keys the server holds down, as keycodes.
inline std::vector<int> KeysDown(Display* dpy) {
    char keys[32];
    XQueryKeymap(dpy, keys);
    std::vector<int> down;
    for (int i = 0; i < 256; ++i)
        if (keys[i / 8] & (1 << (i % 8)))
            down.push_back(i);
    return down;
}

// Runs a command and returns its standard output (for setxkbmap and xkbcomp).
inline std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

} // namespace xtest
