#pragma once
// The main window: library buttons, the 50 name slots, notes and quick help.
#include <QWidget>

namespace kelpo {

struct Program;

class Pages : public QWidget {
    Q_OBJECT
public:
    explicit Pages(Program& program, QWidget* parent = nullptr);

    // Shows SlotNames / SlotColors on the name labels.
    void RefreshNames();
    // Shows LibraryNames on the library buttons.
    void RefreshLibraryNames();
    // Highlights the current library's button.
    void RefreshLibraryButtons();
    // Minimises the main window (to the task bar or the tray, as the options say).
    void Minimize();

private:
    Program& program_;
};

} // namespace kelpo
