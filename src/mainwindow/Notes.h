#pragma once

namespace kelpo {

struct Program;

// Opens the notes window of `slot`.
void OpenNotes(Program& program, int slot);

} // namespace kelpo
