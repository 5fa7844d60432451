#include "insertion/OpenEntry.h"

#include "entries/PageFiles.h"
#include "insertion/BrowserLaunch.h"
#include "insertion/GetPassword.h"
#include "storage/Program.h"
#include "storage/Settings.h"
#include "widgets/Shell.h"

#include <algorithm>

namespace kelpo {

namespace {

// A right-click open skips the browser once; whatever way the open ends, the next one
// starts it again.
struct ClearSkipBookmark {
    Program& program;
    ~ClearSkipBookmark() { program.SkipBookmark = 0; }
};

} // namespace

void LoadClipSetForUse(Program& program, int slot) {
    ClearSkipBookmark clearSkip{program};
    if (slot < 0 || slot >= SlotCount)
        return;

    program.CurrentClips = {};
    program.SpaceBeforeAppend = 0;

    program.CurrentSlot = slot;
    program.CurrentColor = program.SlotColors[slot];
    program.CurrentName = program.SlotNames[slot];
    program.settings.LastSlot = static_cast<std::int16_t>(slot);
    SaveSettings(program);

    program.CurrentUrl = ReadUrl(program.LibraryFolder, slot);
    program.CurrentPassword = ReadPassword(program.LibraryFolder, slot);

    // A password given once stays given while an entry is being tested.
    if (!program.CurrentPassword.isEmpty() && program.TestMode == 0 &&
        !AskForPassword(program, slot))
        return;

    const HideArray hidden = ReadHidden(program.LibraryFolder, slot);
    const ClipArray clips = ReadClips(program.LibraryFolder, slot);
    program.CurrentClips = clips;
    Shell& shell = ShellOf(program);
    shell.FillInsertionWindow(clips, hidden);
    const bool anyClip = std::any_of(clips.begin(), clips.end(),
                                     [](const QString& clip) { return !clip.isEmpty(); });
    if (anyClip)
        shell.ShowInsertionWindow();

    // The browser comes after the insertion window: it then opens in front of the main
    // window's place and becomes the target once it is active.
    if (!program.CurrentUrl.isEmpty()) {
        if (program.TestMode == 0 && program.SkipBookmark == 0) {
            LaunchBrowser(program);
        } else if (program.TestMode == 1 && program.TestPageLoaded == 0) {
            LaunchBrowser(program);
            program.TestPageLoaded = 1;
        }
    }
}

} // namespace kelpo
