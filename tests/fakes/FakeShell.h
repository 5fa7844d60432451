#pragma once
// A shell without windows that records what was asked of it, in order: "show-main",
// "hide-main", "minimize-main", "names", "library-names", "pause", "resume",
// "fill-insertion", "show-insertion", "insertion-help", "editor <slot>".
#include "widgets/Shell.h"

#include <QStringList>

#include <functional>

namespace kelpo {

struct FakeShell : Shell {
    QWidget* MainWindow() override { return nullptr; }
    QWidget* NameLabel(int) override { return nullptr; }
    void ShowMainWindow() override { Note("show-main"); }
    void HideMainWindow() override { Note("hide-main"); }
    void MinimizeMainWindow() override { Note("minimize-main"); }
    bool MainWindowHidden() override { return mainHidden; }
    void NamesChanged() override { Note("names"); }
    void LibraryNamesChanged() override { Note("library-names"); }
    void PauseTimer(bool paused) override { Note(paused ? "pause" : "resume"); }
    void FillInsertionWindow(const ClipArray&, const HideArray&) override {
        Note("fill-insertion");
    }
    void ShowInsertionWindow() override { Note("show-insertion"); }
    void ShowInsertionQuickHelp() override { Note("insertion-help"); }
    void OpenEditor(int slot) override { Note(QStringLiteral("editor %1").arg(slot)); }

    void Note(const QString& call) {
        calls.append(call);
        if (onCall)
            onCall(call);
    }

    QStringList calls;
    bool mainHidden = false;
    std::function<void(const QString&)> onCall;
};

} // namespace kelpo
