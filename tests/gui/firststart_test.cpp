// Start-up with the real windows under the offscreen platform: first and later runs, the
// screen check, an unwritable data folder, and a second start bringing the window back.
#include "TestProgram.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Startup.h"

#include <QApplication>
#include <QFileInfo>
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
            QVERIFY(!startup.ActivatePreviousInstance());
            QVERIFY(startup.InitializeProgram(BigScreen));
            Pages* pages = startup.pages();
            QVERIFY(pages->isVisible() && !pages->isMinimized());
            const Settings& s = t.program.settings;
            QVERIFY(qAbs(2 * s.MainLeft - (1280 - pages->width()) * 15) <= 1);
            QVERIFY(qAbs(2 * s.MainTop - (1024 - pages->height()) * 15) <= 1);
            QCOMPARE(s.InsertLeft, 1280 * 15 - 3250);
            QCOMPARE(pages->pos(), QPoint(qRound(s.MainLeft / 15.0), qRound(s.MainTop / 15.0)));
            QCOMPARE(t.program.PressOffset, 100);
            QCOMPARE(QFileInfo(t.Path("Kelpo.ini")).size(), 42);
            QCOMPARE(QFileInfo(t.Path("Libnames.dat")).size(), 247);
            QCOMPARE(QFileInfo(t.Path("Lib1/Names.dat")).size(), 1734);
        }
        // Large fonts halve the press offset; a scaled screen near 15 twips still counts as 15.
        QCOMPARE(PressOffsetFor(12.0), 50);
        QCOMPARE(PressOffsetFor(14.6), 100);

        // A later run opens the library stored last time, minimised, here to the tray; a
        // second start brings it back, but not while start-up is still under way.
        t.program.settings.Library = 3;
        t.program.settings.MinimizeToTray = 1;
        QVERIFY(SaveSettings(t.program));
        QVERIFY(WriteNameRecord(t.program, t.Path("Lib4/"), 2, "Bank", 0x000000FF));
        Startup startup(t.program, runtime.path());
        QVERIFY(!startup.ActivatePreviousInstance());
        startup.ShowMainWindow();
        QVERIFY(!startup.pages()->isVisible());
        QVERIFY(startup.InitializeProgram(BigScreen));
        QCOMPARE(t.program.LibraryFolder, t.Path("Lib4/"));
        QCOMPARE(t.program.SlotNames[2], QString("Bank"));
        QVERIFY(!startup.pages()->isVisible() && t.fakes.tray.visible);
        startup.ShowMainWindow();
        QVERIFY(startup.pages()->isVisible() && !startup.pages()->isMinimized());
        QVERIFY(!t.fakes.tray.visible);
        QVERIFY(t.fakes.windows.activations.contains(WindowId(startup.pages()->winId())));
    }

    void tooSmallScreenShowsOnlyTheNoticeAndWritesNothing() {
        TestProgram t;
        Startup startup(t.program);
        int notices = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* notice = QApplication::activeModalWidget(); notice && !notices++)
                QTest::mouseClick(notice->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        poll.start(0);
        QVERIFY(!startup.InitializeProgram(ScreenInfo{QRect(0, 0, 320, 240), 15.0}));
        QCOMPARE(notices, 1);
        QVERIFY(!startup.pages()->isVisible());
        QVERIFY(!QFileInfo::exists(t.Path("Libnames.dat")));
    }

    void unwritableDataFolderIsReportedOnceAndTheProgramStillRuns() {
        TestProgram t;
        const QString folder = t.Path("plain");
        TestProgram::WriteAll(folder, "x"); // a file where the folder should be
        t.program.ProgramFolder = folder + "/";
        t.program.LibraryFolder = folder + "/Lib1/";
        Startup startup(t.program);
        QVERIFY(startup.InitializeProgram(BigScreen));
        QVERIFY(startup.pages()->isVisible());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QList<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                boxes.append(box);
        QCOMPARE(boxes.size(), 1); // one notice for the folder, not one per file
        QVERIFY(boxes[0]->text().contains(folder + "\n"));
        boxes[0]->close();
    }
};

QTEST_MAIN(FirstStartTest)
#include "firststart_test.moc"
