// Start-up with the real windows under the offscreen platform: first and later runs, the
// screen check, the current library, an unwritable data folder, and a later start
// bringing the main window back.
#include "TestProgram.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelpo;

namespace {

const ScreenInfo BigScreen{QRect(0, 0, 1280, 1024), 15.0};

// Closes the screen-resolution notice once it is up, noting what it showed.
struct NoticeCloser {
    QStringList texts;
    QString title;
    bool centred = false;
    void Arm() {
        QTimer::singleShot(0, [this] {
            QWidget* notice = QApplication::activeModalWidget();
            if (!notice) {
                Arm();
                return;
            }
            title = notice->windowTitle();
            for (const QLabel* label : notice->findChildren<QLabel*>())
                texts.append(label->text());
            const QRect r = notice->geometry();
            centred = std::abs(r.center().x() - 160) <= 1 && std::abs(r.center().y() - 120) <= 1;
            auto* close = notice->findChild<QPushButton*>("Command1");
            QTest::mouseClick(close, Qt::LeftButton);
        });
    }
};

} // namespace

class FirstStartTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunOpensCentredAndLaterRunsMinimised();
    void pressOffsetFollowsTheScreen();
    void tooSmallScreenShowsOnlyTheNotice();
    void storedLibraryIsOpened();
    void unwritableFolderIsReportedOnce();
    void laterStartBringsTheWindowBackFromTheTray();
};

void FirstStartTest::firstRunOpensCentredAndLaterRunsMinimised() {
    TestProgram t;
    QTemporaryDir runtime;
    {
        Startup startup(t.program, runtime.path());
        QVERIFY(!startup.ActivatePreviousInstance());
        QVERIFY(startup.InitializeProgram(BigScreen));
        Pages* pages = startup.pages();
        QCOMPARE(t.program.pages, pages);
        QVERIFY(t.program.doIt);
        QCOMPARE(pages->windowTitle(), QString(" Kelpo"));
        QVERIFY(pages->isVisible());
        QVERIFY(!pages->isMinimized());
        QVERIFY(!t.program.doIt->isVisible());

        const Settings& s = t.program.settings;
        // Centred, to the nearest twip.
        QVERIFY(qAbs(2 * s.MainLeft - (1280 - pages->width()) * 15) <= 1);
        QVERIFY(qAbs(2 * s.MainTop - (1024 - pages->height()) * 15) <= 1);
        QCOMPARE(s.InsertLeft, 1280 * 15 - 3250);
        QCOMPARE(pages->pos(), QPoint(qRound(s.MainLeft / 15.0), qRound(s.MainTop / 15.0)));
        QCOMPARE(t.program.doIt->pos(),
                 QPoint(qRound(s.InsertLeft / 15.0), qRound(s.InsertTop / 15.0)));

        QCOMPARE(QFileInfo(t.Path("Kelpo.ini")).size(), 42);
        QCOMPARE(QFileInfo(t.Path("Libnames.dat")).size(), 247);
        QCOMPARE(QFileInfo(t.Path("Lib1/Names.dat")).size(), 1734);
        QCOMPARE(t.program.LibraryNames[0], QString("Library 1"));
    }
    QVERIFY(!t.program.pages);

    Program again;
    again.ProgramFolder = t.program.ProgramFolder;
    again.LibraryFolder = t.program.LibraryFolder;
    again.platform = t.fakes.Get();
    Startup startup(again, runtime.path());
    QVERIFY(!startup.ActivatePreviousInstance());
    QVERIFY(startup.InitializeProgram(BigScreen));
    QVERIFY(startup.pages()->isMinimized());
}

void FirstStartTest::pressOffsetFollowsTheScreen() {
    TestProgram t;
    Startup startup(t.program);
    QVERIFY(startup.InitializeProgram(ScreenInfo{QRect(0, 0, 1600, 1200), 12.0}));
    QCOMPARE(t.program.PressOffset, 50);
    QCOMPARE(t.program.settings.InsertLeft, 1600 * 12 - 3250);
    QCOMPARE(PressOffsetFor(15.0), 100);
    QCOMPARE(PressOffsetFor(14.6), 100);
    QCOMPARE(PressOffsetFor(10.0), 50);
}

void FirstStartTest::tooSmallScreenShowsOnlyTheNotice() {
    TestProgram t;
    Startup startup(t.program);
    NoticeCloser closer;
    closer.Arm();
    QVERIFY(!startup.InitializeProgram(ScreenInfo{QRect(0, 0, 320, 240), 15.0}));
    QCOMPARE(closer.title, QString(" Kelpo"));
    const QStringList expected = {
        "Kelpo requires a minimum screen resolution of:-",
        "800 * 600  -  if you are using standard fonts",
        "1152 * 864 -  if you are using standard fonts",
        "or",
        "1024 * 768 -  if you are using large fonts",
        "You can change your screen resolution from the Windows Control Panel.",
        "Locate \"Display\" and click the \"Settings\" tab.",
        "Select a suitable screen resolution then re-start Kelpo",
    };
    QCOMPARE(closer.texts, expected);
    QVERIFY(closer.centred);
    QVERIFY(!startup.pages()->isVisible());
    QVERIFY(!QFileInfo::exists(t.Path("Libnames.dat")));
    QCOMPARE(startup.ExitCode(), 0);
}

void FirstStartTest::storedLibraryIsOpened() {
    TestProgram t;
    {
        Startup startup(t.program);
        QVERIFY(startup.InitializeProgram(BigScreen));
    }
    t.program.settings.Library = 3;
    QVERIFY(SaveSettings(t.program));
    QVERIFY(WriteNameRecord(t.program, t.Path("Lib4/"), 2, "Bank", 0x000000FF));

    Startup startup(t.program);
    QVERIFY(startup.InitializeProgram(BigScreen));
    QCOMPARE(t.program.LibraryFolder, t.Path("Lib4/"));
    QCOMPARE(t.program.SlotNames[2], QString("Bank"));
    QCOMPARE(t.program.SlotColors[2], 0x000000FFu);
}

void FirstStartTest::unwritableFolderIsReportedOnce() {
    TestProgram t;
    TestProgram::WriteAll(t.Path("plain"), "x");
    const QString folder = t.Path("plain");
    t.program.ProgramFolder = folder + "/";
    t.program.LibraryFolder = folder + "/Lib1/";
    Startup startup(t.program);
    QVERIFY(startup.InitializeProgram(BigScreen));
    QVERIFY(startup.pages()->isVisible());
    QCOMPARE(t.program.LibraryNames[0], QString("Library 1"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.append(box);
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0]->text().contains(folder + "\n"));
    // Later failures stay quiet.
    QVERIFY(!SaveSettings(t.program));
    QCoreApplication::processEvents();
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        visible += qobject_cast<QMessageBox*>(w) && w->isVisible();
    QCOMPARE(visible, 1);
    boxes[0]->close();
}

void FirstStartTest::laterStartBringsTheWindowBackFromTheTray() {
    TestProgram t;
    QTemporaryDir runtime;
    Startup startup(t.program, runtime.path());
    QVERIFY(!startup.ActivatePreviousInstance());
    // A request that comes before start-up is done (behind the screen notice) shows
    // nothing.
    startup.ShowMainWindow();
    QVERIFY(!startup.pages()->isVisible());

    QVERIFY(startup.InitializeProgram(BigScreen));
    t.program.settings.MinimizeToTray = 1;
    startup.pages()->Minimize();
    QVERIFY(!startup.pages()->isVisible());
    QVERIFY(t.fakes.tray.visible);

    startup.ShowMainWindow();
    QVERIFY(startup.pages()->isVisible());
    QVERIFY(!startup.pages()->isMinimized());
    QVERIFY(!t.fakes.tray.visible);
    QVERIFY(t.fakes.windows.activations.contains(WindowId(startup.pages()->winId())));
}

QTEST_MAIN(FirstStartTest)
#include "firststart_test.moc"
