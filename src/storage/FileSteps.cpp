#include "storage/FileSteps.h"

#include "storage/Program.h"

namespace kelpo {

FileSteps::FileSteps(Program& program, const QString& operation)
    : program_(program), operation_(operation) {}

bool FileSteps::Next() {
    ++step_;
    return !program_.fileStepHook || program_.fileStepHook(operation_, step_);
}

} // namespace kelpo
