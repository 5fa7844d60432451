#pragma once

namespace kelpo {

struct Program;

// Opens the entry of `slot` for use: reads its bookmark, password and clips, asks for the
// password, fills and shows the insertion window, and starts the browser on the bookmark.
void LoadClipSetForUse(Program& program, int slot);

} // namespace kelpo
