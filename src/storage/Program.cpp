#include "storage/Program.h"

namespace kelpo {

void ReportWriteFailure(Program& program, const QString& path) {
    if (program.writeFailureReported)
        return;
    program.writeFailureReported = true;
    if (program.onWriteFailed)
        program.onWriteFailed(path);
}

void ReportCannotType(Program& program) {
    if (program.cannotTypeReported)
        return;
    program.cannotTypeReported = true;
    if (program.onCannotType)
        program.onCannotType();
}

} // namespace kelpo
