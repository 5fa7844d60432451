#include "insertion/OpenEntry.h"

#include "storage/Program.h"

namespace kelpo {

void LoadClipSetForUse(Program& program, int slot) {
    (void)program;
    (void)slot;
}

} // namespace kelpo
