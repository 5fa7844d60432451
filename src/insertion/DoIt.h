#pragma once
// The insertion window: the clips of the entry in use, typed into the target on a click.
#include <QWidget>

namespace kelpo {

struct Program;

class DoIt : public QWidget {
    Q_OBJECT
public:
    explicit DoIt(Program& program, QWidget* parent = nullptr);

private:
    Program& program_;
};

} // namespace kelpo
