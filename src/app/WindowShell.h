#pragma once
// The shell over the windows that live for the whole run: what one window asks of
// another goes through here.
#include "widgets/Shell.h"

#include <memory>

namespace kelpo {

class DoIt;
class Pages;

class WindowShell final : public Shell {
public:
    // Over an insertion window made elsewhere.
    WindowShell(Program& program, Pages& pages, DoIt& doIt);
    // Makes the insertion window itself the first time it is asked for: nothing shows it
    // before an entry is opened, and the main window comes up sooner without it.
    WindowShell(Program& program, Pages& pages);
    ~WindowShell() override;

    // The insertion window, made now when it does not exist yet.
    DoIt& InsertionWindow();

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
    DoIt* doIt_ = nullptr;
    std::unique_ptr<DoIt> ownDoIt_;
};

} // namespace kelpo
