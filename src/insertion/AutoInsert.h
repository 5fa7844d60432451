#pragma once
// "Auto Insert": the whole clip list of the entry in use typed into the target in one go.
namespace kelpo {

struct Program;
class InsertionActions;

enum class AutoInsertResult {
    NotStarted, // no target, the desktop, or the target did not come forward
    Completed,  // every clip was processed
    Stopped,    // ended at "{Stop Auto}"
    TargetLost, // the foreground window changed under the run
    SendFailed, // a send failed again after the run's one retry
};

// Text clips overwrite the focused field and move on with Tab, key commands are sent as
// keys, empty clips are skipped, "{Minimize}" minimises and the run goes on, "{Stop Auto}"
// ends it. The target is activated once; the run stops at once when another window comes
// to the foreground. The main window's timer (Shell::PauseTimer) is paused and key
// handling is off for the run; both come back on however it ends.
AutoInsertResult AutoInsert(Program& program, InsertionActions& actions);

} // namespace kelpo
