#pragma once
// The program's state: the folders, the settings, the tables the main window shows, and
// the entry in use. One object, owned by the application and handed to every window by
// reference; tests make a fresh one over a temporary folder.
#include "core/Constants.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "storage/Settings.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace kelpo {

class Shell;

struct Program {
    // Folders, each ending in '/'.
    QString ProgramFolder;
    QString LibraryFolder;

    Settings settings;

    std::array<QString, SlotCount> SlotNames;
    std::array<std::uint32_t, SlotCount> SlotColors{};
    std::array<QString, LibraryCount> LibraryNames;

    // The entry opened last.
    int CurrentSlot = 0;
    int EditSlot = 0;
    QString CurrentName;
    std::uint32_t CurrentColor = DefaultColor;
    QString CurrentUrl;
    QString CurrentPassword;
    std::array<QString, ClipCount> CurrentClips;
    int TestMode = 0;
    int TestPageLoaded = 0;
    int SkipBookmark = 0;

    // Where clips are typed: the last foreground window that is not one of ours.
    WindowId TargetWindow = 0;
    int SpaceBeforeAppend = 0;
    int CurrentRow = 0;

    // Twips the main window's pointer mark stands above a clicked name.
    int PressOffset = 100;
    bool CloseRequested = false;

    Platform platform;

    // How the windows reach each other, set by the application; null while there are no
    // windows (ShellOf() then stands in).
    Shell* shell = nullptr;

    // Called once when a data file cannot be written (full disk, no rights), so the user
    // hears of it once; the program then goes on with what it has in memory.
    std::function<void(const QString& path)> onWriteFailed;
    bool writeFailureReported = false;

    // Called once when a clip is to be typed and this desktop gives the program no way to
    // type into other programs, so the user hears why nothing arrives.
    std::function<void()> onCannotType;
    bool cannotTypeReported = false;

    // Test hook: asked before every file step of an operation that moves or erases entries
    // or libraries (see FileSteps.h); false makes that step fail. Unset in normal runs.
    std::function<bool(const QString& operation, int step)> fileStepHook;
};

// Reports a failed write through `onWriteFailed`, once per run.
void ReportWriteFailure(Program& program, const QString& path);

// Reports through `onCannotType`, once per run, that nothing can be typed here.
void ReportCannotType(Program& program);

} // namespace kelpo
