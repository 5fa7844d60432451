#include "editor/EditEntry.h"

#include "editor/Edit.h"
#include "entries/PageFiles.h"
#include "insertion/GetPassword.h"
#include "storage/Program.h"
#include "storage/Settings.h"
#include "widgets/Shell.h"

namespace kelpo {

void LoadClipSetForEdit(Program& program, int slot) {
    Shell& shell = ShellOf(program);
    if (slot < 0 || slot >= SlotCount) {
        // Whoever asked may have hidden itself first: the program keeps a window.
        if (shell.MainWindowHidden())
            shell.ShowMainWindow();
        return;
    }
    program.CurrentColor = program.SlotColors[slot];
    program.CurrentSlot = slot;
    program.CurrentName = program.SlotNames[slot];
    program.settings.LastSlot = static_cast<std::int16_t>(slot);
    SaveSettings(program);

    program.CurrentUrl = ReadUrl(program.LibraryFolder, slot);
    program.CurrentPassword = ReadPassword(program.LibraryFolder, slot);
    if (!program.CurrentPassword.isEmpty()) {
        if (program.TestMode == 1) {
            // Opened from the entry in use: its password was given already.
            program.TestMode = 0;
        } else if (!AskForPassword(program, slot)) {
            if (shell.MainWindowHidden())
                shell.ShowMainWindow();
            return;
        }
    }

    Edit edit(program, shell.MainWindow());
    const ClipArray clips = ReadClips(program.LibraryFolder, slot);
    const HideArray hidden = ReadHidden(program.LibraryFolder, slot);
    for (int i = 0; i < ClipCount; ++i) {
        edit.SetClip(i, clips[i]);
        edit.SetHidden(i, hidden[i] != 0);
    }
    // Save, Cancel and the close box all come back to the main window; after Test the
    // insertion window has taken its place.
    if (edit.exec() != Edit::Tested)
        shell.ShowMainWindow();
}

} // namespace kelpo
