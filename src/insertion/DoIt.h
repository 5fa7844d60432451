#pragma once
// The insertion window: the clips of the entry in use, typed into the target on a click.
#include <QString>
#include <QWidget>

namespace kelpo {

struct Program;

class DoIt : public QWidget {
    Q_OBJECT
public:
    explicit DoIt(Program& program, QWidget* parent = nullptr);

    // Row `row` (0-39) masks its clip with stars when `hidden`.
    void SetRowHidden(int row, bool hidden);
    // Row `row` shows `clip` (or as many stars, when hidden) and the clip pointer when
    // the clip is not empty.
    void SetRowClip(int row, const QString& clip);
    // Shows the window in place of the main window.
    void ShowForUse();

private:
    Program& program_;
};

} // namespace kelpo
