#include "editor/EditEntry.h"

#include "storage/Program.h"

namespace kelpo {

// The Website Editor is not built yet: opening an entry for editing does nothing.
void LoadClipSetForEdit(Program& program, int slot) {
    (void)program;
    (void)slot;
}

} // namespace kelpo
