#include "storage/Program.h"

namespace kelpo {

void ReportWriteFailure(Program& program, const QString& path) {
    if (program.writeFailureReported)
        return;
    program.writeFailureReported = true;
    if (program.onWriteFailed)
        program.onWriteFailed(path);
}

} // namespace kelpo
