#pragma once

namespace kelpo {

struct Program;

// Opens the Website Editor on `slot` (EditSlot is set by the caller).
void LoadClipSetForEdit(Program& program, int slot);

} // namespace kelpo
