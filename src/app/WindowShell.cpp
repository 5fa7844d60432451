#include "app/WindowShell.h"

#include "editor/EditEntry.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"

namespace kelpo {

WindowShell::WindowShell(Program& program, Pages& pages, DoIt& doIt)
    : program_(program), pages_(pages), doIt_(&doIt) {
    pages_.SetInsertionWindow(doIt_);
}

WindowShell::WindowShell(Program& program, Pages& pages) : program_(program), pages_(pages) {}

WindowShell::~WindowShell() = default;

DoIt& WindowShell::InsertionWindow() {
    if (!doIt_) {
        ownDoIt_ = std::make_unique<DoIt>(program_);
        doIt_ = ownDoIt_.get();
        pages_.SetInsertionWindow(doIt_);
    }
    return *doIt_;
}

QWidget* WindowShell::MainWindow() {
    return &pages_;
}

QWidget* WindowShell::NameLabel(int slot) {
    return pages_.NameLabel(slot);
}

void WindowShell::ShowMainWindow() {
    pages_.RestoreFromTray();
}

void WindowShell::HideMainWindow() {
    pages_.hide();
}

void WindowShell::MinimizeMainWindow() {
    pages_.Minimize();
}

bool WindowShell::MainWindowHidden() {
    return pages_.isHidden();
}

void WindowShell::NamesChanged() {
    pages_.RefreshNames();
}

void WindowShell::LibraryNamesChanged() {
    pages_.RefreshLibraryNames();
}

void WindowShell::PauseTimer(bool paused) {
    pages_.PauseTimer(paused);
}

void WindowShell::FillInsertionWindow(const ClipArray& clips, const HideArray& hidden) {
    DoIt& doIt = InsertionWindow();
    for (int i = 0; i < ClipCount; ++i) {
        doIt.SetRowHidden(i, hidden[i] != 0);
        doIt.SetRowClip(i, clips[i]);
    }
}

void WindowShell::ShowInsertionWindow() {
    DoIt& doIt = InsertionWindow();
    pages_.hide();
    doIt.ShowForUse();
    doIt.repaint();
}

void WindowShell::ShowInsertionQuickHelp() {
    InsertionWindow().SetQuickHelpVisible(true);
}

void WindowShell::OpenEditor(int slot) {
    LoadClipSetForEdit(program_, slot);
}

} // namespace kelpo
