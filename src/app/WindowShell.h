#pragma once
// The shell over the windows that live for the whole run: what one window asks of
// another goes through here.
#include "widgets/Shell.h"

namespace kelpo {

class DoIt;
class Pages;

class WindowShell final : public Shell {
public:
    WindowShell(Program& program, Pages& pages, DoIt& doIt);

    QWidget* MainWindow() override;
    QWidget* NameLabel(int slot) override;
    void ShowMainWindow() override;
    void HideMainWindow() override;
    void MinimizeMainWindow() override;
    bool MainWindowHidden() override;
    void NamesChanged() override;
    void LibraryNamesChanged() override;
    void PauseTimer(bool paused) override;
    void FillInsertionWindow(const ClipArray& clips, const HideArray& hidden) override;
    void ShowInsertionWindow() override;
    void ShowInsertionQuickHelp() override;
    void OpenEditor(int slot) override;

private:
    Program& program_;
    Pages& pages_;
    DoIt& doIt_;
};

} // namespace kelpo
