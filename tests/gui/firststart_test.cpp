// Start-up with the real windows under the offscreen platform: first and later runs, the
// screen check, an unwritable data folder, and a second start bringing the window back.
#include "ModalDriver.h"
#include "TestProgram.h"
#include "app/Startup.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"
#include "widgets/Shell.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelpo;

static const ScreenInfo BigScreen{QRect(0, 0, 1280, 1024), 15.0};

class FirstStartTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunCentresAndCreatesTheFilesLaterRunsMinimised() {
        TestProgram t;
        QTemporaryDir runtime;
        {
            Startup startup(t.program, runtime.path());
            QVERIFY(startup.InitializeProgram(BigScreen));
            QVERIFY(startup.pages()->isVisible() && !startup.pages()->isMinimized());
            // Centred by the window's real width.
            QVERIFY(qAbs(2 * t.program.settings.MainLeft -
                         (1280 - startup.pages()->width()) * 15) <= 1);
            // Their contents are checked with the files; here that start-up writes all three.
            for (const char* file : {"Kelpo.ini", "Libnames.dat", "Lib1/Names.dat"})
                QVERIFY2(QFileInfo(t.Path(file)).size() > 0, file);
        }

        // A later run opens the library stored last time, minimised, here to the tray; a
        // second start brings it back, but not while start-up is still under way.
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
        startup.ShowMainWindow();
        QVERIFY(startup.pages()->isVisible() && !startup.pages()->isMinimized() &&
                !t.fakes.tray.visible);
        QVERIFY(t.fakes.windows.activations.contains(WindowId(startup.pages()->winId())));
    }

    void insertionWindowIsMadeOnFirstUseInItsStoredPlaceAndKeptOnTop() {
        TestProgram t;
        QTemporaryDir runtime;
        Startup startup(t.program, runtime.path());
        QVERIFY(startup.InitializeProgram(BigScreen));
        const auto insertionWindows = [] {
            QList<DoIt*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* doIt = qobject_cast<DoIt*>(w))
                    found.append(doIt);
            return found;
        };
        QVERIFY(insertionWindows().isEmpty()); // not made for the main window's first paint

        ClipArray clips{};
        clips[0] = "alice";
        HideArray hidden{};
        hidden[1] = 1;
        clips[1] = "secret";
        Shell& shell = ShellOf(t.program);
        shell.FillInsertionWindow(clips, hidden);
        shell.ShowInsertionWindow();
        shell.FillInsertionWindow(clips, hidden); // a second entry reuses the window
        const QList<DoIt*> made = insertionWindows();
        QCOMPARE(made.size(), 1);
        DoIt* doIt = made[0];
        QVERIFY(doIt->isVisible() && !startup.pages()->isVisible());
        QCOMPARE(doIt->findChild<QWidget*>("Names_0")->property("text").toString(), "alice");
        QCOMPARE(doIt->findChild<QWidget*>("Names_1")->property("text").toString(), "******");
        const Settings& s = t.program.settings;
        QCOMPARE(doIt->pos(), QPoint(qRound(s.InsertLeft / 15.0), qRound(s.InsertTop / 15.0)));
        // The main window's tick knows it: keeps it on top.
        startup.pages()->Timer1_Timer();
        QVERIFY(t.fakes.windows.keptOnTop.contains(WindowId(doIt->winId())));
    }

    void tooSmallScreenShowsOnlyTheNoticeAndWritesNothing() {
        TestProgram t;
        Startup startup(t.program);
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QString advice;
        OnModal notice("ScreenResForm", [&](QWidget* w) {
            for (const QLabel* label : w->findChildren<QLabel*>())
                advice += label->text() + "\n";
            QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        QVERIFY(!startup.InitializeProgram(ScreenInfo{QRect(0, 0, 320, 240), 15.0}));
        QVERIFY(notice.fired);
        // The advice names the user's own desktop, not another system's control panel.
        QVERIFY2(advice.contains("in System Settings > Display Configuration.\n") &&
                     !advice.contains("Windows"),
                 qPrintable(advice));
        QVERIFY(!startup.pages()->isVisible() && !QFileInfo::exists(t.Path("Libnames.dat")));
    }

    void unwritableDataFolderIsReportedOnceAndTheProgramStillRuns() {
        TestProgram t;
        const QString folder = t.Path("plain");
        TestProgram::WriteAll(folder, "x"); // a file where the folder should be
        t.program.ProgramFolder = folder + "/";
        t.program.LibraryFolder = folder + "/Lib1/";
        Startup startup(t.program);
        QVERIFY(startup.InitializeProgram(BigScreen) && startup.pages()->isVisible());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const auto boxes = startup.pages()->findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1); // one notice for the folder, not one per file
        QVERIFY(boxes[0]->isVisible() && boxes[0]->text().contains(folder + "\n"));
    }
};

QTEST_MAIN(FirstStartTest)
#include "firststart_test.moc"
