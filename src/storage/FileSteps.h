#pragma once
// The file steps of an operation that moves, copies or erases entries or libraries,
// counted from 1. Each step asks `Program::fileStepHook` first, so that a test can make
// any one step fail (or stop the program there) and prove that nothing is lost whichever
// step goes wrong.
#include <QString>

namespace kelpo {

struct Program;

class FileSteps {
public:
    FileSteps(Program& program, const QString& operation);

    // Called right before a file is opened, written, renamed or removed. False when the
    // step is to fail (only ever a test's choice; a real failure shows in the file call).
    bool Next();
    int Count() const { return step_; }
    Program& program() { return program_; }

private:
    Program& program_;
    QString operation_;
    int step_ = 0;
};

} // namespace kelpo
