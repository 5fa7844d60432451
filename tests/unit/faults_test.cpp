// Every file step of every operation that moves, copies or erases entries or libraries,
// made to fail (the program goes on) or stopped dead (as by a crash), followed by a new
// start: no entry may be lost or shown half-written, and a library's name must stay with
// its entries. Prints the table of steps and results.
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

struct Operation {
    const char* what;
    const char* steps; // the name its file steps go by
    std::function<bool(Program&)> run;
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
    {"move entry within a library", "move",
     [](Program& p) { return MoveEntry(p, {Lib(p, 0), 3}, {Lib(p, 0), 12}); }},
    {"move entry to the same slot of another library", "move",
     [](Program& p) { return MoveEntry(p, {Lib(p, 0), 3}, {Lib(p, 1), 3}); }},
    {"copy entry", "copy", [](Program& p) { return CopyEntry(p, {Lib(p, 0), 3}, {Lib(p, 1), 20}); }},
    {"erase entry", "erase", [](Program& p) { return EraseEntry(p, {Lib(p, 0), 3}); }, {"Lib1/3"}},
    {"swap two libraries", "swap", [](Program& p) { return MoveLibrary(p, 0, 1, false).ok; }, {},
     true},
    {"move library to a button without folder", "swap",
     [](Program& p) { return MoveLibrary(p, 0, 2, false).ok; }, {}, true},
    {"copy library to an empty one", "swap",
     [](Program& p) { return MoveLibrary(p, 0, 4, true).ok; }, {}, true},
    {"erase library", "erase-library", [](Program& p) { return EraseLibrary(p, 1).ok; },
     {"Lib2/7"}, true},
};

// How many file steps the operation takes when nothing goes wrong.
int StepsOf(const Operation& op) {
    TestProgram t;
    Prepare(t.program);
    int steps = 0;
    t.program.fileStepHook = [&](const QString& name, int step) {
        if (name == op.steps)
            steps = step;
        return true;
    };
    EXPECT_TRUE(op.run(t.program)) << op.what;
    return steps;
}

} // namespace

TEST(Faults, NoStepOfAnyOperationLosesOrHalfWritesAnEntry) {
    std::printf("%-48s %4s %-6s %-9s %4s %4s %7s\n", "operation", "step", "fault", "result", "lost",
                "half", "misname");
    int total = 0;
    for (const Operation& op : Operations) {
        const int steps = StepsOf(op);
        ASSERT_GT(steps, 2) << op.what;
        for (int k = 1; k <= steps; ++k) {
            for (const bool crash : {false, true}) {
                TestProgram t;
                Program& p = t.program;
                int reports = 0;
                p.onWriteFailed = [&](const QString&) { ++reports; };
                Prepare(p);
                const auto before = Shown(p.ProgramFolder);
                const auto named = NamedContents(p.ProgramFolder);
                p.fileStepHook = [&](const QString& name, int step) {
                    if (name != op.steps || step != k)
                        return true;
                    if (crash)
                        throw Stopped{};
                    return false;
                };
                bool ok = true;
                try {
                    ok = op.run(p);
                } catch (const Stopped&) {
                    ok = false;
                }
                p.fileStepHook = nullptr;
                // Start again, as the program does.
                Program again;
                again.ProgramFolder = p.ProgramFolder;
                RecoverLibraries(again);
                const Count count = Compare(before, Shown(p.ProgramFolder), op.erasable);
                // A library's name goes with its entries, whichever way the swap ended.
                int misnamed = 0;
                const auto namedNow = NamedContents(p.ProgramFolder);
                for (auto it = namedNow.begin(); it != namedNow.end(); ++it)
                    if (op.wholeLibraries &&
                        (!named.values().contains(it.value()) || named.key(it.value()) != it.key()))
                        ++misnamed;
                std::printf("%-48s %4d %-6s %-9s %4d %4d %7d\n", op.what, k,
                            crash ? "crash" : "fail", ok ? "done?" : "stopped", count.lost,
                            count.half, misnamed);
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
