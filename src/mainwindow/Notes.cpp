#include "mainwindow/Notes.h"

#include "storage/Program.h"

namespace kelpo {

// The notes window is not built yet.
void OpenNotes(Program& program, int slot) {
    (void)program;
    (void)slot;
}

} // namespace kelpo
