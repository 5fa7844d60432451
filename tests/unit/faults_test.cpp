// Every file step of every operation that moves, copies or erases entries or libraries,
// made to fail (the program goes on) or stopped dead (as by a crash), followed by a new
// start: no entry may be lost or shown half-written, and a library's name must stay with
// its entries. Prints how many faults it made.
#include "LibraryCensus.h"
#include "entries/EntryOps.h"
#include "entries/LibraryOps.h"
#include "storage/Names.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <tuple>

using namespace kelpo;
using namespace kelpo::census;

namespace {

struct Stopped {};

// Entry operations take the entry in slot 3 of library `from` (to `slot` of library `to`);
// library operations library `from` (onto `to`, copying with `copy`).
struct Operation {
    const char* what;
    const char* steps; // the name its file steps go by
    int from, to, slot;
    bool copy = false;
    QStringList erasable = {}; // entries it may take away
    // Works on whole libraries: each library's name must stay with its entries.
    bool wholeLibraries = false;
};

QString Lib(const Program& p, int k) {
    return p.ProgramFolder + QStringLiteral("Lib%1/").arg(k + 1);
}

// Libraries 0 "Work" and 1 "Home" with entries, library 4 empty and unnamed, no
// folder for library 2.
void Prepare(Program& p) {
    WriteEntry(Lib(p, 0), 3, "Bank", 'a');
    WriteEntry(Lib(p, 0), 4, "Mail", 'b', false);
    WriteEntry(Lib(p, 1), 7, "Shop", 'c');
    TestProgram::WriteAll(Lib(p, 4) + "Names.dat", NameBytes("").repeated(51));
    TestProgram::WriteAll(p.ProgramFolder + "Libnames.dat",
                          QByteArray("Work         Home         ").leftJustified(19 * 13, ' '));
    LoadLibraryNames(p);
}

const Operation Operations[] = {
    {"move entry within a library", "move", 0, 0, 12},
    {"move entry to the same slot of another library", "move", 0, 1, 3},
    {"copy entry", "copy", 0, 1, 20},
    {"erase entry", "erase", 0, 0, 0, false, {"Lib1/3"}},
    {"swap two libraries", "swap", 0, 1, 0, false, {}, true},
    {"move library to a button without folder", "swap", 0, 2, 0, false, {}, true},
    {"copy library to an empty one", "swap", 0, 4, 0, true, {}, true},
    {"erase library", "erase-library", 1, 0, 0, false, {"Lib2/7"}, true}};

bool Run(Program& p, const Operation& op) {
    const std::string steps = op.steps;
    const EntryPlace entry{Lib(p, op.from), 3}, target{Lib(p, op.to), op.slot};
    if (steps == "move")
        return MoveEntry(p, entry, target);
    if (steps == "copy")
        return CopyEntry(p, entry, target);
    if (steps == "erase")
        return EraseEntry(p, entry);
    if (steps == "swap")
        return MoveLibrary(p, op.from, op.to, op.copy).ok;
    return EraseLibrary(p, op.from).ok;
}

// Runs `op` over the prepared data, failing (or with `crash`, stopping dead) its file step `k`;
// the count of its steps is left in `steps`. Whether it claimed success.
bool RunFailing(Program& p, const Operation& op, int k, bool crash, int& steps) {
    p.fileStepHook = [&](const QString& name, int step) {
        if (name != op.steps)
            return true;
        steps = step;
        if (step == k && crash)
            throw Stopped{};
        return step != k;
    };
    try {
        const bool ok = Run(p, op);
        p.fileStepHook = nullptr;
        return ok;
    } catch (const Stopped&) {
        p.fileStepHook = nullptr;
        return false;
    }
}

} // namespace

TEST(Faults, NoStepOfAnyOperationLosesOrHalfWritesAnEntry) {
    int total = 0;
    for (const Operation& op : Operations) {
        int steps = 0;
        TestProgram whole;
        Prepare(whole.program);
        EXPECT_TRUE(RunFailing(whole.program, op, 0, false, steps)) << op.what;
        ASSERT_GT(steps, 2) << op.what;
        for (int k = 1; k <= steps; ++k) {
            for (const bool crash : {false, true}) {
                TestProgram t;
                Program& p = t.program;
                int reports = 0, ignored = 0;
                p.onWriteFailed = [&](const QString&) { ++reports; };
                Prepare(p);
                const auto before = Shown(p.ProgramFolder);
                const auto named = NamedContents(p.ProgramFolder);
                const bool ok = RunFailing(p, op, k, crash, ignored);
                // Start again, as the program does.
                Program again;
                again.ProgramFolder = p.ProgramFolder;
                RecoverLibraries(again);
                const Count count = Compare(before, Shown(p.ProgramFolder), op.erasable);
                // A library's name goes with its entries, whichever way the swap ended.
                int misnamed = 0;
                const auto namedNow = NamedContents(p.ProgramFolder);
                for (auto it = namedNow.begin(); it != namedNow.end() && op.wholeLibraries; ++it)
                    misnamed += named.key(it.value(), "(none)") != it.key();
                const std::string at = std::string(op.what) + " step " + std::to_string(k);
                EXPECT_FALSE(ok) << at;
                EXPECT_EQ(std::tuple(count.lost, count.half, misnamed), std::tuple(0, 0, 0)) << at;
                // A failure the program lives through is said once.
                EXPECT_TRUE(crash || reports == 1) << at << ", said " << reports << " times";
                EXPECT_FALSE(QDir(p.ProgramFolder + "Sparelib").exists()) << at;
                ++total;
            }
        }
    }
    std::printf("%d faults, every one checked\n", total);
}
