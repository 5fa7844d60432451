// The main window with the fake platform: what it shows from the files, the clicks and
// keys on it, its one-second tick, the tray and the Options and About windows.
#include "TestProgram.h"
#include "insertion/DoIt.h"
#include "mainwindow/AboutForm.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Options.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace kelpo;

namespace {

// One "Names.dat" record: the name blank-padded to 30 bytes, then the colour.
QByteArray NameRecord(const QByteArray& name, quint32 color) {
    QByteArray record = name.leftJustified(30, ' ', true);
    char bytes[4];
    qToLittleEndian(color, bytes);
    return record + QByteArray(bytes, 4);
}

QByteArray NamesFile(const QMap<int, QPair<QByteArray, quint32>>& entries) {
    QByteArray file;
    for (int s = 0; s < SlotCount; ++s) {
        const auto entry = entries.value(s, {QByteArray(), 0x00FFFFFF});
        file += NameRecord(entry.first, entry.second);
    }
    return file;
}

qint16 Int16At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint16>(bytes.constData() + offset);
}

qint32 Int32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// A program over a fresh folder with its main window, names loaded as start-up does.
struct Fixture {
    TestProgram t;
    std::unique_ptr<Pages> pages;

    Fixture() {
        t.program.settings.Version = SettingsVersion;
        t.program.PressOffset = 100;
    }
    ~Fixture() {
        if (pages)
            pages->hide();
        pages.reset();
    }
    Program& program() { return t.program; }
    void Start() {
        pages = std::make_unique<Pages>(t.program);
        LoadLibraryNames(t.program);
        LoadNames(t.program);
    }
    QLabel* Name(int slot) {
        return pages->findChild<QLabel*>(QStringLiteral("Pagenames_%1").arg(slot));
    }
    QPushButton* Library(int k) {
        return pages->findChild<QPushButton*>(QStringLiteral("LibraryBtn_%1").arg(k));
    }
    QPushButton* Edit(int slot) {
        return pages->findChild<QPushButton*>(QStringLiteral("UseBtn_%1").arg(slot));
    }
    QByteArray Ini() { return TestProgram::ReadAll(t.Path("Kelpo.ini")); }
};

// The help page beside the test program, as it lies beside the real one; removed again
// when made here.
struct HelpPageBeside {
    QString folder = QCoreApplication::applicationDirPath() + "/tutorial";
    bool made = !QFileInfo::exists(folder + "/1.htm");
    HelpPageBeside() {
        if (made)
            TestProgram::WriteAll(folder + "/1.htm", "<html></html>");
    }
    ~HelpPageBeside() {
        if (made)
            QDir(folder).removeRecursively();
    }
};

QColor Back(QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void showsNamesLibrariesAndPanelsFromTheFiles();
    void layoutIsTwoColumnsOfTwentyFiveBesideTheLibraries();
    void libraryButtonSwitchesStoresAndLoadsThatFolder();
    void clickingNamesAndEditButtons();
    void firstLetterSearchWithKeysAndEnter();
    void escMinimisesAndF1ShowsHelp();
    void timerStoresMovedWindowsOnlyWhenShownNormally();
    void targetWindowFollowsForeignWindowsOnly();
    void trayMinimiseRestoreAndMenu();
    void noTrayFallsBackToTheTaskBar();
    void closeBoxMinimisesToTheTray();
    void optionsDialogSavesEachChoiceAtOnce();
    void aboutWindowFromUpgrades();
    // These end the program's event loop; they run last.
    void closeRequestedEndsTheProgramAtTheNextTick();
};

void PagesTest::showsNamesLibrariesAndPanelsFromTheFiles() {
    Fixture f;
    QByteArray libnames = QByteArray("Banking").leftJustified(13, ' ');
    libnames += QByteArray("B&Q shopping!");
    libnames += QByteArray(17 * 13, ' ');
    TestProgram::WriteAll(f.t.Path("Libnames.dat"), libnames);
    TestProgram::WriteAll(f.t.LibraryPath("Names.dat"),
                          NamesFile({{0, {"Bob", 0x000000FF}},
                                     {30, {"  bill", 0x00FF0000}},
                                     {49, {"last one", 0}},
                                     {TestSlot, {"test", 0x00FFFFFF}}}));
    f.Start();

    QCOMPARE(f.pages->findChildren<QPushButton*>(QRegularExpression("^LibraryBtn_\\d+$")).size(),
             19);
    QCOMPARE(f.pages->findChildren<QPushButton*>(QRegularExpression("^UseBtn_\\d+$")).size(), 50);
    QCOMPARE(f.pages->findChildren<QLabel*>(QRegularExpression("^Pagenames_\\d+$")).size(), 51);

    QCOMPARE(f.Name(0)->text(), QString("Bob"));
    QCOMPARE(f.Name(30)->text(), QString("  bill"));
    QCOMPARE(f.Name(1)->text(), QString());
    QCOMPARE(Back(f.Name(0)), QColor(255, 0, 0));
    QCOMPARE(Back(f.Name(30)), QColor(0, 0, 255));
    QCOMPARE(Back(f.Name(49)), QColor(Qt::white)); // colour 0 reads white
    QCOMPARE(Back(f.Name(1)), QColor(Qt::white));
    QCOMPARE(f.Name(0)->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(f.Name(0)->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(f.Name(1)->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.Edit(7)->text(), QString("Edit"));

    // Captions as stored: an ampersand is shown, not turned into a shortcut.
    QCOMPARE(f.Library(0)->text(), QString("Banking"));
    QCOMPARE(f.Library(1)->text().replace("&&", "&"), QString("B&Q shopping!"));
    QCOMPARE(f.Library(1)->accessibleName(), QString("B&Q shopping!"));
    QCOMPARE(f.Library(2)->text(), QString());
    QVERIFY(f.Library(0)->isCheckable());
    QVERIFY(f.Library(0)->isChecked());
    QVERIFY(!f.Library(1)->isChecked());
    QCOMPARE(f.Library(0)->palette().color(QPalette::Button), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(f.Library(1)->palette().color(QPalette::Button),
             QApplication::palette(f.Library(1)).color(QPalette::Button));

    f.pages->show();
    auto label = [&](const char* name) { return f.pages->findChild<QLabel*>(name); };
    QCOMPARE(label("HelpLabel_0")->text(), QString("Kelpo Quick Help"));
    QCOMPARE(label("HelpLabel_1")->text(),
             QString("Displays help for the item that the mouse is over."));
    QCOMPARE(label("NotesHeading")->text(), QString("Notes"));
    QVERIFY(label("NotesText")->isVisible());
    QCOMPARE(label("NotesText")->text(), QString());
    QVERIFY(!f.pages->findChild<QCheckBox*>("MinimizeBtn")->isVisible());
    QVERIFY(!f.pages->findChild<QWidget*>("TrashFrame")->isVisible());
    QVERIFY(!f.pages->findChild<QLineEdit*>("LibNames")->isVisible());
    QVERIFY(!f.pages->findChild<QWidget*>("Pointer")->isVisible());
    auto button = [&](const char* name) { return f.pages->findChild<QPushButton*>(name)->text(); };
    QCOMPARE(button("OptionBtn"), QString("Options"));
    QCOMPARE(button("UpgradeBtn"), QString("Upgrades"));
    QCOMPARE(button("Command1"), QString("Help"));
    QVERIFY(f.pages->findChild<QWidget*>("Picture2")->isVisible());
}

void PagesTest::layoutIsTwoColumnsOfTwentyFiveBesideTheLibraries() {
    Fixture f;
    f.Start();
    f.pages->show();
    // 96 logical DPI here: 15 twips a pixel, so the columns are 2700 / 15 = 180 pixels apart.
    const QRect first = f.Name(0)->geometry();
    QCOMPARE(f.Name(25)->geometry().left() - first.left(), 180);
    QCOMPARE(f.Name(25)->geometry().top(), first.top());
    const int pitch = f.Name(1)->geometry().top() - first.top();
    QVERIFY(pitch >= first.height());
    QCOMPARE(f.Name(24)->geometry().top(), first.top() + 24 * pitch);
    QCOMPARE(f.Name(49)->geometry().top(), f.Name(24)->geometry().top());
    // Each Edit button sits right of its name, on its row.
    for (int slot : {0, 24, 25, 49}) {
        const QRect name = f.Name(slot)->geometry();
        const QRect edit = f.Edit(slot)->geometry();
        QCOMPARE(edit.top(), name.top());
        QVERIFY(edit.left() > name.right());
        QVERIFY(edit.right() < f.Name(25)->geometry().left() || slot >= 25);
    }
    // The library column is right of the names, the test slot out of sight.
    const QPoint library = f.Library(0)->mapTo(f.pages.get(), QPoint(0, 0));
    QVERIFY(library.x() > f.Edit(49)->geometry().right());
    QCOMPARE(library.y(), first.top());
    const QPoint lastLibrary = f.Library(18)->mapTo(f.pages.get(), QPoint(0, 0));
    QVERIFY(lastLibrary.y() + f.Library(18)->height() <= f.Name(24)->geometry().bottom() + 1);
    QVERIFY(f.Name(TestSlot)->geometry().top() >= f.pages->height());
    // The window fits the smallest screen the program supports.
    QVERIFY(f.pages->width() <= 800);
    QVERIFY(f.pages->height() <= 560);
}

void PagesTest::libraryButtonSwitchesStoresAndLoadsThatFolder() {
    Fixture f;
    TestProgram::WriteAll(f.t.Path("Lib5/Names.dat"), NamesFile({{2, {"Fifth", 0x0000FF00}}}));
    f.Start();
    f.pages->show();
    f.pages->Pagenames_MouseUp(0, 1, 0, 0, 0); // nothing there: no pointer
    QVERIFY(!f.pages->findChild<QWidget*>("Pointer")->isVisible());

    // A right press switches too, on the press.
    QTest::mousePress(f.Library(4), Qt::RightButton);
    QCOMPARE(f.program().settings.Library, qint16(4));
    QCOMPARE(Int16At(f.Ini(), 4), qint16(4));
    QCOMPARE(f.Ini().left(4), QByteArray("4.00"));
    QVERIFY(f.program().LibraryFolder.endsWith("/Lib5/"));
    QCOMPARE(f.Name(2)->text(), QString("Fifth"));
    QCOMPARE(Back(f.Name(2)), QColor(0, 255, 0));
    QVERIFY(f.Library(4)->isChecked());
    QVERIFY(!f.Library(0)->isChecked());
    QCOMPARE(f.Library(4)->palette().color(QPalette::Button), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(f.Library(0)->palette().color(QPalette::Button),
             QApplication::palette(f.Library(0)).color(QPalette::Button));
    QTest::mouseRelease(f.Library(4), Qt::RightButton);

    // A library never visited gets its folder and a names file of defaults.
    f.pages->Pagenames_MouseUp(2, 1, 0, 0, 0);
    QVERIFY(f.pages->findChild<QWidget*>("Pointer")->isVisible());
    f.pages->LibraryBtn_MouseDown(18, 1, 0, 150, 60);
    QVERIFY(!f.pages->findChild<QWidget*>("Pointer")->isVisible());
    QCOMPARE(Int16At(f.Ini(), 4), qint16(18));
    QCOMPARE(QFileInfo(f.t.Path("Lib19/Names.dat")).size(), qint64(1734));
    QCOMPARE(f.Name(2)->text(), QString());
    QCOMPARE(f.pages->DownX(), 150.f);
    QCOMPARE(f.pages->DownY(), 60.f);
    // Made-up indexes are refused, not stored.
    f.pages->LibraryBtn_MouseDown(19, 1, 0, 0, 0);
    f.pages->LibraryBtn_MouseDown(-1, 1, 0, 0, 0);
    QCOMPARE(Int16At(f.Ini(), 4), qint16(18));
}

void PagesTest::clickingNamesAndEditButtons() {
    Fixture f;
    TestProgram::WriteAll(f.t.LibraryPath("Names.dat"),
                          NamesFile({{7, {"Mail", 0xFFFFFF}}, {30, {"Shop", 0xFFFFFF}}}));
    f.Start();
    f.pages->show();
    auto* pointer = f.pages->findChild<QWidget*>("Pointer");

    // Empty slot: clips cleared, nothing opened, no pointer.
    f.program().CurrentClips[0] = "left over";
    f.program().TestMode = 1;
    QTest::mouseClick(f.Name(3), Qt::LeftButton);
    QCOMPARE(f.program().CurrentClips[0], QString());
    QVERIFY(!pointer->isVisible());
    QCOMPARE(f.program().TestMode, 1);

    // A named slot: the pointer marks its right end, 100 twips (7 pixels) above it.
    QTest::mouseClick(f.Name(30), Qt::LeftButton);
    QVERIFY(pointer->isVisible());
    const QRect name = f.Name(30)->geometry();
    QCOMPARE(pointer->geometry().right(), name.right());
    QCOMPARE(pointer->geometry().top(), name.top() - 7);
    QCOMPARE(f.program().TestMode, 0);
    QCOMPARE(f.program().settings.LastSlot, qint16(30)); // the entry was opened for use

    // A release away from the name is no click.
    f.program().settings.LastSlot = 0;
    QTest::mousePress(f.Name(7), Qt::LeftButton);
    QTest::mouseRelease(f.Name(7), Qt::LeftButton, {}, QPoint(-20, 5));
    QCOMPARE(f.program().settings.LastSlot, qint16(0));

    // Right click: opened too, without the bookmark.
    QTest::mouseClick(f.Name(7), Qt::RightButton);
    QCOMPARE(f.program().settings.LastSlot, qint16(7));
    QCOMPARE(pointer->geometry().top(), f.Name(7)->geometry().top() - 7);
    QVERIFY(f.t.fakes.browser.opened.isEmpty());

    // Edit button of an empty slot: pointer placed, the editor's slot set, test mode kept.
    f.program().TestMode = 1;
    QTest::mouseClick(f.Edit(12), Qt::LeftButton);
    QCOMPARE(f.program().EditSlot, 12);
    QCOMPARE(f.program().TestMode, 1);
    QVERIFY(pointer->isVisible());
    QCOMPARE(pointer->geometry().right(), f.Name(12)->geometry().right());
    // Right button on an Edit button is the notes, not the editor.
    QTest::mouseClick(f.Edit(40), Qt::RightButton);
    QCOMPARE(f.program().EditSlot, 12);
    QCOMPARE(pointer->geometry().right(), f.Name(40)->geometry().right());
    // Made-up arguments outside the grid change nothing.
    f.pages->UseBtn_MouseUp(50, 1, 0, 0, 0);
    f.pages->Pagenames_MouseUp(51, 1, 0, 0, 0);
    QCOMPARE(f.program().EditSlot, 12);
}

void PagesTest::firstLetterSearchWithKeysAndEnter() {
    Fixture f;
    TestProgram::WriteAll(f.t.LibraryPath("Names.dat"), NamesFile({{3, {"Bob", 0x000000FF}},
                                                                   {30, {"bill", 0x00FFFFFF}},
                                                                   {46, {"xylo", 0x00FFFFFF}}}));
    f.Start();
    f.pages->show();
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);

    QTest::keyClick(f.pages.get(), Qt::Key_B);
    QCOMPARE(f.pages->SearchSlot(), 3);
    QCOMPARE(Back(f.Name(3)), highlight);
    QCOMPARE(f.Name(3)->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::HighlightedText));
    QTest::keyClick(f.pages.get(), Qt::Key_B, Qt::ShiftModifier);
    QCOMPARE(f.pages->SearchSlot(), 30);
    QCOMPARE(Back(f.Name(3)), QColor(255, 0, 0)); // its own colour back
    QCOMPARE(f.Name(3)->palette().color(QPalette::WindowText), QColor(Qt::black));
    QTest::keyClick(f.pages.get(), Qt::Key_B);
    QCOMPARE(f.pages->SearchSlot(), -1);
    QCOMPARE(Back(f.Name(30)), QColor(Qt::white));
    QTest::keyClick(f.pages.get(), Qt::Key_B);
    QCOMPARE(f.pages->SearchSlot(), 3);

    // Slot 46, in the last rows of the right column, is found.
    QTest::keyClick(f.pages.get(), Qt::Key_X);
    QCOMPARE(f.pages->SearchSlot(), 46);
    QCOMPARE(Back(f.Name(3)), QColor(255, 0, 0));

    // Enter opens the highlighted entry as a left click would.
    f.program().TestMode = 1;
    QTest::keyClick(f.pages.get(), Qt::Key_Return);
    QCOMPARE(f.program().settings.LastSlot, qint16(46));
    QCOMPARE(f.program().TestMode, 0);
    QCOMPARE(f.pages->SearchSlot(), -1);
    QCOMPARE(Back(f.Name(46)), QColor(Qt::white));
    // Enter with nothing highlighted does nothing.
    f.program().settings.LastSlot = 0;
    QTest::keyClick(f.pages.get(), Qt::Key_Return);
    QCOMPARE(f.program().settings.LastSlot, qint16(0));

    // A press on a library button clears the highlight, as does a reload of the names.
    QTest::keyClick(f.pages.get(), Qt::Key_B);
    QCOMPARE(f.pages->SearchSlot(), 3);
    f.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
    QCOMPARE(f.pages->SearchSlot(), -1);
    QCOMPARE(Back(f.Name(3)), QColor(255, 0, 0));

    // While a library is being named, keys belong to its editor.
    f.pages->findChild<QLineEdit*>("LibNames")->show();
    f.pages->Form_KeyPress('b');
    QCOMPARE(f.pages->SearchSlot(), -1);
    f.pages->Form_KeyPress(27);
    QVERIFY(!f.pages->isMinimized());
}

void PagesTest::escMinimisesAndF1ShowsHelp() {
    Fixture f;
    f.Start();
    f.pages->show();
    QTest::keyClick(f.pages.get(), Qt::Key_Escape);
    QVERIFY(f.pages->isMinimized());
    QVERIFY(f.pages->isVisible()); // on the task bar: the option says so
    QCOMPARE(f.t.fakes.tray.shows, 0);

    // Help opens the help page beside the program, from F1 and from the Help button.
    HelpPageBeside help;
    f.pages->showNormal();
    QTest::keyClick(f.pages.get(), Qt::Key_F1);
    QCOMPARE(f.t.fakes.browser.opened.size(), 1);
    QVERIFY(f.t.fakes.browser.opened[0].endsWith("tutorial/1.htm"));
    QTest::mouseClick(f.pages->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(f.t.fakes.browser.opened.size(), 2);
}

void PagesTest::timerStoresMovedWindowsOnlyWhenShownNormally() {
    Fixture f;
    f.Start();
    DoIt doIt(f.program());
    f.program().doIt = &doIt;
    f.pages->move(100, 200);
    f.pages->show();
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().settings.MainTop, 3000);
    QCOMPARE(f.program().settings.MainLeft, 1500);
    QCOMPARE(Int32At(f.Ini(), 6), 3000);
    QCOMPARE(Int32At(f.Ini(), 10), 1500);
    QVERIFY(f.t.fakes.windows.keptOnTop.isEmpty()); // the insertion window is hidden

    // Unmoved: nothing written.
    QFile::remove(f.t.Path("Kelpo.ini"));
    f.pages->Timer1_Timer();
    QVERIFY(!QFileInfo::exists(f.t.Path("Kelpo.ini")));

    // Minimised or hidden: a move is not stored.
    f.pages->showMinimized();
    f.pages->move(300, 300);
    f.pages->Timer1_Timer();
    f.pages->hide();
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().settings.MainTop, 3000);
    QVERIFY(!QFileInfo::exists(f.t.Path("Kelpo.ini")));

    // The insertion window: kept on top at every tick and its moves stored.
    f.program().settings.InsertTop = 15 * 40;
    f.program().settings.InsertLeft = 15 * 600;
    doIt.move(600, 40);
    doIt.show();
    f.pages->Timer1_Timer();
    QCOMPARE(f.t.fakes.windows.keptOnTop, QList<WindowId>{doIt.winId()});
    QVERIFY(!QFileInfo::exists(f.t.Path("Kelpo.ini")));
    doIt.move(610, 55);
    f.pages->Timer1_Timer();
    QCOMPARE(f.t.fakes.windows.keptOnTop.size(), 2);
    QCOMPARE(Int32At(f.Ini(), 14), 55 * 15);
    QCOMPARE(Int32At(f.Ini(), 18), 610 * 15);
    doIt.showMinimized();
    doIt.move(0, 0);
    f.pages->Timer1_Timer();
    QCOMPARE(f.t.fakes.windows.keptOnTop.size(), 2);
    QCOMPARE(f.program().settings.InsertTop, 55 * 15);
    doIt.hide();
    f.program().doIt = nullptr;

    // Auto Insert pauses the tick for its run and resumes it after.
    auto* timer = f.pages->findChild<QTimer*>("Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    f.program().pauseTimer(true);
    QVERIFY(!timer->isActive());
    f.program().pauseTimer(false);
    QVERIFY(timer->isActive());
}

void PagesTest::targetWindowFollowsForeignWindowsOnly() {
    Fixture f;
    f.Start();
    f.pages->show();
    FakeWindowSystem& windows = f.t.fakes.windows;
    const WindowId browser = 0x4A00001, editor = 0x4A00077;

    windows.SwitchTo(browser); // reported at once, without waiting for the tick
    QCOMPARE(f.program().TargetWindow, browser);
    windows.SwitchTo(f.pages->winId());
    QCOMPARE(f.program().TargetWindow, browser);
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().TargetWindow, browser);

    // Any window of ours counts as ours: the insertion window, a dialog.
    DoIt doIt(f.program());
    doIt.show();
    windows.SwitchTo(doIt.winId());
    QCOMPARE(f.program().TargetWindow, browser);
    QWidget dialog;
    dialog.show();
    windows.foreground = dialog.winId();
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().TargetWindow, browser);
    // No foreground window at all is no target either.
    windows.SwitchTo(0);
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().TargetWindow, browser);

    // A change the backend does not report is caught by the tick.
    windows.foreground = editor;
    f.pages->Timer1_Timer();
    QCOMPARE(f.program().TargetWindow, editor);

    // Once the window is gone it hears nothing more.
    f.pages.reset();
    windows.SwitchTo(browser);
    QCOMPARE(f.program().TargetWindow, editor);
}

void PagesTest::trayMinimiseRestoreAndMenu() {
    Fixture f;
    f.Start();
    f.program().settings.MinimizeToTray = 1;
    f.pages->show();
    FakeTrayIcon& tray = f.t.fakes.tray;

    f.pages->MinimizeBtn_MouseUp(2, 0, 0, 0);
    QVERIFY(!f.pages->isVisible());
    QVERIFY(tray.visible);
    QCOMPARE(f.pages->findChild<QCheckBox*>("MinimizeBtn")->isChecked(), false);

    tray.onLeftClick();
    QVERIFY(f.pages->isVisible());
    QVERIFY(!f.pages->isMinimized());
    QVERIFY(!tray.visible);
    tray.onRightClick(); // the window is up: the menu does not come
    QVERIFY(!f.pages->PopupMenu()->isVisible());

    // Right click: the menu; Cancel leaves everything as it was.
    f.pages->Minimize();
    tray.onRightClick();
    QMenu* menu = f.pages->PopupMenu();
    QVERIFY(menu->isVisible());
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("Close Kelpo"));
    QCOMPARE(items[1]->text(), QString("Cancel"));
    tray.onLeftClick(); // ignored while the menu is up
    QVERIFY(!f.pages->isVisible());
    items[1]->trigger();
    QVERIFY(!menu->isVisible());
    QVERIFY(tray.visible);
    QVERIFY(!f.pages->isVisible());
    QVERIFY(!f.program().CloseRequested);

    // Close Kelpo: the icon goes at once; the tick ends the program.
    tray.onRightClick();
    menu->actions()[0]->trigger();
    QVERIFY(!tray.visible);
    QVERIFY(f.program().CloseRequested);

    // Minimised by the window manager (its title-bar button): on to the tray as well.
    f.program().CloseRequested = false;
    f.pages->RestoreFromTray();
    QVERIFY(f.pages->isVisible());
    f.pages->setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!f.pages->isVisible());
    QVERIFY(tray.visible);
    // Shown by any other means (a second start): the icon goes.
    f.pages->showNormal();
    QVERIFY(!tray.visible);
}

void PagesTest::noTrayFallsBackToTheTaskBar() {
    Fixture f;
    f.Start();
    f.program().settings.MinimizeToTray = 1;
    FakeTrayIcon& tray = f.t.fakes.tray;
    tray.available = false;
    f.pages->show();
    f.pages->Minimize();
    QVERIFY(f.pages->isVisible());
    QVERIFY(f.pages->isMinimized());
    QCOMPARE(tray.shows, 0);

    // A tray turns up: the waiting window moves into it.
    tray.available = true;
    tray.onAvailable();
    QVERIFY(!f.pages->isVisible());
    QVERIFY(tray.visible);
    // The tray goes away with the window in it: back to the task bar, not lost.
    tray.available = false;
    tray.onLost();
    QVERIFY(f.pages->isVisible() && f.pages->isMinimized());
    QVERIFY(!tray.visible);
    tray.available = true;
    tray.onAvailable();
    QVERIFY(!f.pages->isVisible());
    tray.onLeftClick();
    QVERIFY(f.pages->isVisible() && !f.pages->isMinimized());
    tray.onLost(); // a window in view stays as it is
    QVERIFY(f.pages->isVisible() && !f.pages->isMinimized());

    // Task bar chosen: no icon, ever.
    f.program().settings.MinimizeToTray = 0;
    tray.shows = 0;
    f.pages->Minimize();
    QVERIFY(f.pages->isVisible() && f.pages->isMinimized());
    tray.onAvailable();
    QVERIFY(f.pages->isVisible());
    QCOMPARE(tray.shows, 0);
}

void PagesTest::closeBoxMinimisesToTheTray() {
    Fixture f;
    f.Start();
    f.program().settings.MinimizeToTray = 1;
    f.pages->show();
    QVERIFY(!f.pages->close());
    QVERIFY(!f.pages->isVisible());
    QVERIFY(f.t.fakes.tray.visible);
}

void PagesTest::optionsDialogSavesEachChoiceAtOnce() {
    Fixture f;
    f.Start();
    f.program().settings.QuickHelpOff = 1;
    f.program().settings.MinimizeToTray = 1;
    f.pages->move(40, 30);
    f.pages->show();
    auto* helpTitle = f.pages->findChild<QLabel*>("HelpLabel_0");
    auto* minimize = f.pages->findChild<QCheckBox*>("MinimizeBtn");

    {
        Options options(f.program(), f.pages.get());
        QCOMPARE(options.windowTitle(), QString(" Options"));
        auto radio = [&](const QString& name) { return options.findChild<QRadioButton*>(name); };
        QCOMPARE(radio("HelpOption_0")->text(), QString("Quick Help On"));
        QCOMPARE(radio("HelpOption_1")->text(), QString("Quick Help Off"));
        QCOMPARE(radio("MinimizeOption_0")->text(), QString("Minimize to Task Bar"));
        QCOMPARE(radio("MinimizeOption_1")->text(), QString("Minimize to System Tray"));
        QCOMPARE(options.findChild<QPushButton*>("CloseBtn")->text(), QString("Close"));
        QVERIFY(radio("HelpOption_1")->isChecked());
        QVERIFY(radio("MinimizeOption_1")->isChecked());
        // The two pairs are separate groups.
        QVERIFY(radio("HelpOption_1")->parentWidget() != radio("MinimizeOption_1")->parentWidget());
        // Bottom edges level, 1800 twips right of the main window.
        options.show();
        QCOMPARE(options.frameGeometry().left(), f.pages->frameGeometry().left() + 120);
        QCOMPARE(options.frameGeometry().bottom(), f.pages->frameGeometry().bottom());

        // Quick help on, with a right press: saved at once; the Minimize box goes.
        QTest::mousePress(radio("HelpOption_0"), Qt::RightButton);
        QVERIFY(radio("HelpOption_0")->isChecked());
        QCOMPARE(Int16At(f.Ini(), 40), qint16(0));
        QCOMPARE(Int16At(f.Ini(), 30), qint16(1));
        QVERIFY(!minimize->isVisible());
        QCOMPARE(helpTitle->text(), QString("Kelpo Quick Help"));

        // Off again: the panel says how to turn it on, the Minimize box appears.
        QTest::mouseClick(radio("HelpOption_1"), Qt::LeftButton);
        QCOMPARE(Int16At(f.Ini(), 40), qint16(1));
        QCOMPARE(helpTitle->text(),
                 QString("Quick Help can be turned on from the Options dialog."));
        QCOMPARE(f.pages->findChild<QLabel*>("HelpLabel_1")->text(), QString());
        QVERIFY(minimize->isVisible());

        // Pressing the chosen button again saves the same value again.
        QFile::remove(f.t.Path("Kelpo.ini"));
        QTest::mouseClick(radio("HelpOption_1"), Qt::LeftButton);
        QCOMPARE(Int16At(f.Ini(), 40), qint16(1));

        QTest::mouseClick(radio("MinimizeOption_0"), Qt::LeftButton);
        QVERIFY(radio("MinimizeOption_0")->isChecked());
        QVERIFY(radio("HelpOption_1")->isChecked());
        QCOMPARE(Int16At(f.Ini(), 30), qint16(0));
        QCOMPARE(f.Ini().size(), SettingsSize);
        // The keyboard chooses too.
        radio("MinimizeOption_1")->setFocus();
        QTest::keyClick(radio("MinimizeOption_1"), Qt::Key_Space);
        QCOMPARE(Int16At(f.Ini(), 30), qint16(1));
    }

    // Opened from its button, modally; Close ends it.
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* options = qobject_cast<Options*>(QApplication::activeModalWidget());
        seen = options != nullptr;
        if (options)
            QTest::mouseClick(options->findChild<QPushButton*>("CloseBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(f.pages->findChild<QPushButton*>("OptionBtn"), Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(f.pages->findChildren<Options*>().isEmpty()); // gone once closed
}

void PagesTest::aboutWindowFromUpgrades() {
    Fixture f;
    HelpPageBeside help;
    f.Start();
    f.pages->move(50, 20);
    f.pages->show();

    QStringList texts;
    QRect frame;
    bool onTop = false;
    QTimer::singleShot(0, this, [&] {
        auto* about = qobject_cast<AboutForm*>(QApplication::activeModalWidget());
        if (!about)
            return;
        texts << about->windowTitle();
        for (const char* name : {"ProductLabel", "VersionLabel", "TextLabel", "UrlLabel"})
            texts << about->findChild<QLabel*>(name)->text();
        texts << about->findChild<QPushButton*>("OKButton")->text();
        frame = about->frameGeometry();
        onTop = about->windowFlags() & Qt::WindowStaysOnTopHint;
        QTest::keyClick(about, Qt::Key_F1); // help, and the window stays
        QVERIFY(about->isVisible());
        QTest::keyClick(about, Qt::Key_Escape);
    });
    QTest::mouseClick(f.pages->findChild<QPushButton*>("UpgradeBtn"), Qt::LeftButton);
    QCOMPARE(texts.size(), 6);
    QCOMPARE(texts[0], QString("About Kelpo"));
    QCOMPARE(texts[1], QString("Kelpo"));
    QCOMPARE(texts[2], QString("V4.52"));
    QCOMPARE(
        texts[3],
        QString(
            "Kelpo upgrades are free. Click the link below to check you have the latest version."));
    QVERIFY(texts[4].contains("https://kelpo.app/upgrades"));
    QCOMPARE(texts[5], QString("OK"));
    QVERIFY(onTop);
    QCOMPARE(f.t.fakes.browser.opened.size(), 1);
    QVERIFY(f.t.fakes.browser.opened[0].endsWith("tutorial/1.htm"));
    f.t.fakes.browser.opened.clear();
    QCOMPARE(frame.left(), f.pages->frameGeometry().left() + 237); // 3550 twips
    QCOMPARE(frame.bottom(), f.pages->frameGeometry().bottom());
    QVERIFY(f.pages->isVisible() && !f.pages->isMinimized());

    // The link: the browser goes to the upgrades page and the main window gets out of the way.
    QTimer::singleShot(0, this, [&] {
        if (auto* about = qobject_cast<AboutForm*>(QApplication::activeModalWidget()))
            about->UrlLabel_MouseUp(1, 0, 0, 0);
    });
    f.pages->UpgradeBtn_MouseUp(2, 0, 0, 0);
    QCOMPARE(f.program().CurrentUrl, QString("https://kelpo.app/upgrades"));
    QCOMPARE(f.t.fakes.browser.opened, QStringList{"https://kelpo.app/upgrades"});
    QVERIFY(f.pages->isMinimized());
}

void PagesTest::closeRequestedEndsTheProgramAtTheNextTick() {
    // The tick ends every event loop, a dialog's included.
    Fixture f;
    f.Start();
    f.pages->show();
    f.pages->Timer1_Timer();
    QEventLoop loop;
    QTimer::singleShot(0, this, [&] {
        f.pages->MnuClose_Click();
        f.pages->Timer1_Timer();
    });
    QTimer::singleShot(5000, &loop, [&] { loop.exit(7); }); // only if the tick failed
    QCOMPARE(loop.exec(), 0);
}

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
