#pragma once
// The narrow interface through which the windows reach each other. The application
// implements it over the windows it builds and hands it out through `Program::shell`;
// each window knows only this, not the others' classes.
#include "entries/PageFiles.h"

class QWidget;

namespace kelpo {

struct Program;

class Shell {
public:
    virtual ~Shell() = default;

    // The main window: parent and anchor of the dialogs opened over it (null when none).
    virtual QWidget* MainWindow() = 0;
    // The label showing the name of `slot` 0-50 in the main window (null when none).
    virtual QWidget* NameLabel(int slot) = 0;
    // The main window back in its normal state, in front.
    virtual void ShowMainWindow() = 0;
    virtual void HideMainWindow() = 0;
    // The main window to the task bar or the tray, as the options say.
    virtual void MinimizeMainWindow() = 0;
    virtual bool MainWindowHidden() = 0;
    // `Program::SlotNames`/`SlotColors` or `LibraryNames` changed: the main window shows
    // them again.
    virtual void NamesChanged() = 0;
    virtual void LibraryNamesChanged() = 0;
    // Pauses (true) and resumes (false) the one-second tick, so that an Auto Insert run
    // keeps its target.
    virtual void PauseTimer(bool paused) = 0;

    // The insertion window's rows show `clips`, masked where `hidden` says.
    virtual void FillInsertionWindow(const ClipArray& clips, const HideArray& hidden) = 0;
    // The insertion window in place of the main window.
    virtual void ShowInsertionWindow() = 0;
    // The insertion window's quick-help panel shown, as when an entry is being tested.
    virtual void ShowInsertionQuickHelp() = 0;

    // Opens the Website Editor on `slot` (EditSlot is set by the caller).
    virtual void OpenEditor(int slot) = 0;
};

// `program.shell`, or one that does nothing when the program runs without windows.
Shell& ShellOf(Program& program);

} // namespace kelpo
