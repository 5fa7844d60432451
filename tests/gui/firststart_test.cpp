// Start-up with the real windows under the offscreen platform: the first run, a later one,
// the insertion window made at its first use, and a screen too small. The real program's
// starts (second instance, unwritable folder, the tray) are the end-to-end runs' part.
#include "Gui.h"
#include "app/Startup.h"
#include "widgets/Shell.h"

#include <QFileInfo>

using namespace kelpo;

static const ScreenInfo BigScreen{QRect(0, 0, 1280, 1024), 15.0};

class FirstStartTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunCentresAndWritesTheFilesLaterRunsOpenTheirLibraryMinimised() {
        TestProgram t;
        QTemporaryDir runtime;
        {
            Startup startup(t.program, runtime.path());
            QVERIFY(startup.InitializeProgram(BigScreen));
            QVERIFY(startup.pages()->isVisible() && !startup.pages()->isMinimized());
            // Centred by the window's real width.
            QVERIFY(qAbs(2 * t.program.settings.MainLeft -
                         (1280 - startup.pages()->width()) * 15) <= 1);
            for (const char* file : {"Kelpo.ini", "Libnames.dat", "Lib1/Names.dat"})
                QVERIFY2(QFileInfo(t.Path(file)).size() > 0, file);
        }
        // A second start does not bring the window back while start-up is under way.
        t.program.settings.Library = 3;
        t.program.settings.MinimizeToTray = 1;
        QVERIFY(SaveSettings(t.program));
        Startup startup(t.program, runtime.path());
        QVERIFY(!startup.ActivatePreviousInstance());
        startup.ShowMainWindow();
        QVERIFY(!startup.pages()->isVisible());
        QVERIFY(startup.InitializeProgram(BigScreen));
        QCOMPARE(t.program.LibraryFolder, t.Path("Lib4/"));
        QVERIFY(!startup.pages()->isVisible() && t.fakes.tray.visible);

        // No insertion window for the main window's first paint; made once, at its stored
        // place; the tick keeps it on top and stores its moves.
        const auto insertionWindows = [] {
            QList<DoIt*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* doIt = qobject_cast<DoIt*>(w))
                    found.append(doIt);
            return found;
        };
        QVERIFY(insertionWindows().isEmpty());
        Shell& shell = ShellOf(t.program);
        shell.FillInsertionWindow(ClipArray{"alice"}, HideArray{});
        shell.ShowInsertionWindow();
        shell.FillInsertionWindow(ClipArray{"bob"}, HideArray{});
        QCOMPARE(insertionWindows().size(), 1);
        DoIt* doIt = insertionWindows()[0];
        QCOMPARE(doIt->findChild<QWidget*>("Names_0")->property("text").toString(), "bob");
        const Settings& s = t.program.settings;
        QCOMPARE(doIt->pos(), QPoint(qRound(s.InsertLeft / 15.0), qRound(s.InsertTop / 15.0)));
        startup.pages()->Timer1_Timer();
        QVERIFY(t.fakes.windows.keptOnTop.contains(WindowId(doIt->winId())));
        doIt->move(610, 55); // where the user moved it: stored by the next tick
        startup.pages()->Timer1_Timer();
        const Settings saved = DecodeSettings(TestProgram::ReadAll(t.Path("Kelpo.ini")));
        QCOMPARE(QPoint(saved.InsertLeft, saved.InsertTop), QPoint(610 * 15, 55 * 15));
    }

    void tooSmallScreenShowsOnlyTheNoticeAndWritesNothing() {
        TestProgram t;
        Startup startup(t.program);
        OnModal notice("ScreenResForm", [](QWidget* w) { Click(w, "Command1"); });
        QVERIFY(!startup.InitializeProgram(ScreenInfo{QRect(0, 0, 320, 240), 15.0}));
        QVERIFY(notice.fired);
        QVERIFY(!startup.pages()->isVisible() && !QFileInfo::exists(t.Path("Libnames.dat")));
    }
};

QTEST_MAIN(FirstStartTest)
#include "firststart_test.moc"
