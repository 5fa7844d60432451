// Types key strings with the X11 key sender, for the end-to-end tests and the typing
// benchmark.
//
//   sendkeys [--nowait] [--repeat N] KEYS
//
// Prints "sending" before the first send and the result of each send ("Ok", ...).
#include "platform/x11/X11KeySender.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using kelpo::SendResult;

static const char* Name(SendResult r) {
    switch (r) {
    case SendResult::Ok:
        return "Ok";
    case SendResult::InvalidNotation:
        return "InvalidNotation";
    case SendResult::Untypeable:
        return "Untypeable";
    case SendResult::ModifierHeld:
        return "ModifierHeld";
    case SendResult::Failed:
        return "Failed";
    case SendResult::FocusLost:
        return "FocusLost";
    }
    return "?";
}

int main(int argc, char** argv) {
    bool wait = true;
    int repeat = 1;
    const char* keys = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--nowait"))
            wait = false;
        else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
            repeat = std::atoi(argv[++i]);
        else
            keys = argv[i];
    }
    if (!keys) {
        std::fprintf(stderr, "usage: sendkeys [--nowait] [--repeat N] KEYS\n");
        return 2;
    }
    auto sender = kelpo::X11KeySender::Create();
    if (!sender) {
        std::fprintf(stderr, "sendkeys: no X display with XTest and XKB\n");
        return 1;
    }
    std::printf("sending\n");
    std::fflush(stdout);
    const QString text = QString::fromUtf8(keys);
    for (int i = 0; i < repeat; ++i) {
        std::printf("%s\n", Name(sender->SendKeys(text, wait)));
        std::fflush(stdout);
    }
    return 0;
}
