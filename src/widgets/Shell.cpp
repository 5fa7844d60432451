#include "widgets/Shell.h"

#include "storage/Program.h"

namespace kelpo {

namespace {

class NoWindows final : public Shell {
public:
    QWidget* MainWindow() override { return nullptr; }
    QWidget* NameLabel(int) override { return nullptr; }
    void ShowMainWindow() override {}
    void HideMainWindow() override {}
    void MinimizeMainWindow() override {}
    bool MainWindowHidden() override { return false; }
    void NamesChanged() override {}
    void LibraryNamesChanged() override {}
    void PauseTimer(bool) override {}
    void FillInsertionWindow(const ClipArray&, const HideArray&) override {}
    void ShowInsertionWindow() override {}
    void ShowInsertionQuickHelp() override {}
    void OpenEditor(int) override {}
};

} // namespace

Shell& ShellOf(Program& program) {
    static NoWindows none;
    return program.shell ? *program.shell : none;
}

} // namespace kelpo
