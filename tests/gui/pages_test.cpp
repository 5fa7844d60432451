// The main window with the fake platform: what it shows from the files, the clicks and
// keys on it, its one-second tick, the tray and the Options window.
#include "TabChain.h"
#include "TestProgram.h"
#include "insertion/DoIt.h"
#include "mainwindow/AboutForm.h"
#include "mainwindow/Options.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"
#include "widgets/ElidedLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include <memory>

using namespace kelpo;

namespace {

// A program over a fresh folder with its main window, names loaded as start-up does.
struct Fixture {
    TestProgram t;
    Program& p = t.program;
    std::unique_ptr<Pages> pages;

    Fixture() { p.settings.Version = SettingsVersion; }
    void Start() {
        pages = std::make_unique<Pages>(p);
        LoadLibraryNames(p);
        LoadNames(p);
        pages->RefreshLibraryNames();
        pages->RefreshNames();
        pages->show();
    }
    void Name(int slot, const QString& name, quint32 color = 0x00FFFFFF) {
        QVERIFY(WriteNameRecord(p, p.LibraryFolder, slot, name, color));
    }
    QLabel* Name(int slot) {
        return pages->findChild<QLabel*>(QStringLiteral("Pagenames_%1").arg(slot));
    }
    QPushButton* Library(int k) {
        return pages->findChild<QPushButton*>(QStringLiteral("LibraryBtn_%1").arg(k));
    }
    Settings Saved() { return DecodeSettings(TestProgram::ReadAll(t.Path("Kelpo.ini"))); }
};

QColor Back(QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void libraryButtonSwitchesStoresAndLoadsThatFolder() {
        Fixture f;
        QVERIFY(WriteNameRecord(f.p, f.t.Path("Lib5/"), 2, "Fifth", 0x0000FF00));
        f.Start();
        // A right press switches too, on the press.
        QTest::mousePress(f.Library(4), Qt::RightButton);
        QCOMPARE(f.Saved().Library, qint16(4));
        QCOMPARE(f.Name(2)->text(), QString("Fifth"));
        // A library never visited gets its folder and a names file of defaults.
        f.pages->LibraryBtn_MouseDown(18, 1, 0, 0, 0);
        QCOMPARE(f.Saved().Library, qint16(18));
        QCOMPARE(QFileInfo(f.t.Path("Lib19/Names.dat")).size(), qint64(1734));
        // Made-up indexes are refused, not stored.
        f.pages->LibraryBtn_MouseDown(19, 1, 0, 0, 0);
        f.pages->LibraryBtn_MouseDown(-1, 1, 0, 0, 0);
        QCOMPARE(f.Saved().Library, qint16(18));
    }

    void clickingNames() {
        Fixture f;
        f.Name(7, "Mail");
        f.Start();
        // Empty slot: clips cleared, so no old clip can be typed.
        f.p.CurrentClips[0] = "left over";
        QTest::mouseClick(f.Name(3), Qt::LeftButton);
        QCOMPARE(f.p.CurrentClips[0], QString());
        // A release away from the name is no click; left and right clicks open it.
        QTest::mousePress(f.Name(7), Qt::LeftButton);
        QTest::mouseRelease(f.Name(7), Qt::LeftButton, {}, QPoint(-20, 5));
        QCOMPARE(f.p.settings.LastSlot, qint16(0));
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            f.p.settings.LastSlot = 0;
            QTest::mouseClick(f.Name(7), button);
            QCOMPARE(f.p.settings.LastSlot, qint16(7));
        }
    }

    void showsTheFilesAndFirstLetterSearchHighlightsAndEnterOpens() {
        Fixture f;
        TestProgram::WriteAll(f.t.Path("Libnames.dat"),
                              QByteArray("B&Q shopping!").leftJustified(19 * 13, ' '));
        f.Name(3, "Bob", 0x000000FF); // stored blue-green-red: this is red
        f.Name(46, "bill");
        f.Name(49, "last one", 0);
        f.Start();
        QCOMPARE(Back(f.Name(3)), QColor(255, 0, 0));
        QCOMPARE(Back(f.Name(49)), QColor(Qt::white)); // colour 0 reads white
        // Captions as stored: an ampersand is shown, not turned into a shortcut.
        QCOMPARE(f.Library(0)->text().replace("&&", "&"), QString("B&Q shopping!"));
        QTest::keyClick(f.pages.get(), Qt::Key_B);
        QCOMPARE(Back(f.Name(3)), QApplication::palette().color(QPalette::Highlight));
        QTest::keyClick(f.pages.get(), Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(Back(f.Name(3)), QColor(255, 0, 0)); // its own colour back
        // Enter opens the highlighted entry as a left click would.
        QTest::keyClick(f.pages.get(), Qt::Key_Return);
        QCOMPARE(f.p.settings.LastSlot, qint16(46));
        // While a library is being named, keys belong to its editor.
        f.pages->LibraryBtn_MouseUp(0, 2, 0, 0, 0);
        f.pages->Form_KeyPress('b');
        QCOMPARE(f.pages->SearchSlot(), -1);
    }

    void longNamesEndInAnEllipsisShowWholeAsTooltipAndClearTheMark() {
        Fixture f;
        const QString name = "Westminster Building Society 1"; // 30, the most a name holds
        f.Name(3, name);
        f.Name(4, "Bob");
        f.Start();
        // The same for a library name wider than its button.
        const QString library = "MMMMMMMMMMMMM"; // 13, the most a library name holds
        f.p.LibraryNames[1] = library;
        f.pages->RefreshLibraryNames();
        QVERIFY(f.Library(1)->fontMetrics().horizontalAdvance(library) > f.Library(1)->width());
        QVERIFY(f.Library(1)->text().endsWith(QChar(0x2026)));
        QCOMPARE(f.Library(1)->toolTip(), library);
        QCOMPARE(f.Library(0)->toolTip(), QString());
        auto* label = qobject_cast<ElidedLabel*>(f.Name(3));
        QVERIFY(label && label->fontMetrics().horizontalAdvance(name) > label->width());
        auto tip = [](QWidget* widget) {
            QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::text();
        };
        QCOMPARE(tip(f.Name(4)), QString()); // a name that fits has none
        QCOMPARE(label->text(), name);
        QVERIFY(label->ShownText().endsWith(QChar(0x2026)));
        QCOMPARE(tip(label), name);
        // The mark beside the clicked name lies over its right end: the name ends before it.
        const int wholeRoom = label->ShownTextRight();
        f.pages->Pagenames_MouseUp(3, 2, 0, 0, 0);
        auto* pointer = f.pages->findChild<QLabel*>("Pointer");
        QVERIFY(pointer->isVisible());
        QVERIFY(label->mapTo(f.pages.get(), QPoint(label->ShownTextRight(), 0)).x() <=
                pointer->x());
        QVERIFY(label->ShownText().endsWith(QChar(0x2026)));
        // A library switch takes the mark away, and the name gets its whole room back.
        f.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        QCOMPARE(label->ShownTextRight(), wholeRoom);
    }

    void everyButtonIsATabStopWithAFocusMarkAndTheKeysStillWork() {
        Fixture f;
        f.p.settings.QuickHelpOff = 1; // the Minimize box shows
        f.Name(3, "Bob");
        f.Start();
        QStringList expected;
        for (int i = 0; i < VisibleSlotCount; ++i)
            expected << QStringLiteral("UseBtn_%1").arg(i);
        for (int k = 0; k < LibraryCount; ++k)
            expected << QStringLiteral("LibraryBtn_%1").arg(k);
        expected << "MinimizeBtn"
                 << "OptionBtn"
                 << "UpgradeBtn"
                 << "Command1";
        // It opens with no button focused (Space presses nothing), and Tab starts at the
        // first Edit button.
        auto* holdfocus = f.pages->findChild<QWidget*>("Holdfocus");
        f.pages->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.pages.get()));
        QCOMPARE(QApplication::focusWidget(), holdfocus);
        QCOMPARE(TabChain(f.pages.get(), holdfocus), expected);

        // A button reached with Tab keeps the focus through its own action (a library
        // switch here), so Tab goes on from it; the focus holder does not take it away.
        QPushButton* library = f.Library(2);
        library->setFocus(Qt::TabFocusReason);
        QTest::keyClick(library, Qt::Key_Space);
        QCOMPARE(f.Saved().Library, qint16(2));
        QCOMPARE(QApplication::focusWidget(), library);
        f.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        // First-letter search, Enter and Esc still work with a button focused.
        QTest::keyClick(library, Qt::Key_B);
        QCOMPARE(f.pages->SearchSlot(), 3);
        QTest::keyClick(library, Qt::Key_Return);
        QCOMPARE(f.p.settings.LastSlot, qint16(3));
        QTest::keyClick(library, Qt::Key_Escape);
        QVERIFY(f.pages->isMinimized());
    }

    void optionsAndAboutHaveNoInvisibleTabStops() {
        Fixture f;
        f.Start();
        Options options(f.p, f.pages.get());
        options.show();
        QCOMPARE(TabChain(&options, options.findChild<QWidget*>("CloseBtn")).join(' '),
                 QString("HelpOption_0 MinimizeOption_0 CloseBtn"));
        options.close();
        AboutForm about(f.p, f.pages.get());
        about.show();
        QCOMPARE(TabChain(&about, about.findChild<QWidget*>("OKButton")).join(' '),
                 QString("OKButton"));
    }

    void tickKeepsTheInsertionWindowOnTopAndStoresItsMoves() {
        Fixture f;
        f.Start();
        DoIt doIt(f.p);
        f.pages->SetInsertionWindow(&doIt);
        f.pages->Timer1_Timer(); // the main window unmoved, the insertion window hidden
        QVERIFY(!QFileInfo::exists(f.t.Path("Kelpo.ini")) && f.t.fakes.windows.keptOnTop.isEmpty());
        doIt.move(610, 55);
        doIt.show();
        f.pages->Timer1_Timer();
        QCOMPARE(f.t.fakes.windows.keptOnTop, QList<WindowId>{doIt.winId()});
        QCOMPARE(f.Saved().InsertTop, 55 * 15);
        QCOMPARE(f.Saved().InsertLeft, 610 * 15);
    }

    void targetWindowIsNeverOneOfOurs() {
        Fixture f;
        f.Start();
        FakeWindowSystem& windows = f.t.fakes.windows;
        const WindowId browser = 0x4A00001;
        windows.SwitchTo(browser);
        QCOMPARE(f.p.TargetWindow, browser);
        // The insertion window, a dialog, or no foreground window at all.
        DoIt doIt(f.p);
        doIt.show();
        QWidget dialog;
        dialog.show();
        for (WindowId ours : {WindowId(doIt.winId()), WindowId(dialog.winId()), WindowId(0)}) {
            windows.SwitchTo(ours);
            f.pages->Timer1_Timer();
            QCOMPARE(f.p.TargetWindow, browser);
        }
        // Once the main window is gone it hears nothing more.
        f.pages.reset();
        windows.SwitchTo(0x4A00077);
        QCOMPARE(f.p.TargetWindow, browser);
    }

    void trayMenuAndWaitingForATray() {
        Fixture f;
        f.Start();
        f.p.settings.MinimizeToTray = 1;
        FakeTrayIcon& tray = f.t.fakes.tray;
        f.pages->Minimize();
        QVERIFY(!f.pages->isVisible() && tray.visible);
        tray.onRightClick();
        QMenu* menu = f.pages->PopupMenu();
        QVERIFY(menu->isVisible());
        menu->actions()[1]->trigger(); // Cancel leaves everything as it was
        QVERIFY(!menu->isVisible() && tray.visible && !f.pages->isVisible() && !f.p.CloseRequested);

        // No tray: the task bar; a tray that turns up takes the waiting window.
        tray.onLeftClick();
        tray.available = false;
        f.pages->Minimize();
        QVERIFY(f.pages->isVisible() && f.pages->isMinimized() && !tray.visible);
        tray.available = true;
        tray.onAvailable();
        QVERIFY(!f.pages->isVisible() && tray.visible);
        // Task bar chosen (Esc minimises too): a tray turning up changes nothing.
        tray.onLeftClick();
        f.p.settings.MinimizeToTray = 0;
        QTest::keyClick(f.pages.get(), Qt::Key_Escape);
        tray.onAvailable();
        QVERIFY(f.pages->isVisible() && f.pages->isMinimized() && !tray.visible);
    }

    void minimizeThisLeavesTheTrayIconAsTheInsertionWindowsWayBack() {
        Fixture f;
        f.Start();
        DoIt doIt(f.p);
        f.pages->SetInsertionWindow(&doIt);
        FakeTrayIcon& tray = f.t.fakes.tray;
        f.pages->hide();
        doIt.show();
        doIt.MinimizeBtn2_MouseUp();
        QVERIFY(doIt.isMinimized() && tray.visible);
        // A left click brings the insertion window back, not the main window.
        tray.onLeftClick();
        QVERIFY(doIt.isVisible() && !doIt.isMinimized() && !f.pages->isVisible());
        QVERIFY(!tray.visible);
        // Restored some other way (a task bar), the icon goes all the same.
        doIt.MinimizeBtn2_MouseUp();
        doIt.showNormal();
        QVERIFY(!tray.visible);
    }

    void optionsSaveEachChoiceAtOnce() {
        Fixture f;
        f.Start();
        f.p.settings.QuickHelpOff = 1;
        f.p.settings.MinimizeToTray = 1;
        auto* minimize = f.pages->findChild<QCheckBox*>("MinimizeBtn");
        Options options(f.p, f.pages.get());
        auto radio = [&](const char* name) { return options.findChild<QRadioButton*>(name); };
        options.show();
        // Quick help on, with a right press: saved at once; the Minimize box goes.
        QTest::mousePress(radio("HelpOption_0"), Qt::RightButton);
        QCOMPARE(f.Saved().QuickHelpOff, qint16(0));
        QVERIFY(!minimize->isVisible());
        // The two pairs are separate groups; the keyboard chooses too.
        radio("MinimizeOption_0")->setFocus();
        QTest::keyClick(radio("MinimizeOption_0"), Qt::Key_Space);
        QCOMPARE(f.Saved().MinimizeToTray, qint16(0));
        QCOMPARE(f.Saved().QuickHelpOff, qint16(0));
    }

    // Ends the program's event loop; runs last.
    void closeRequestedEndsTheProgramAtTheNextTick() {
        // The tick ends every event loop, a dialog's included.
        Fixture f;
        f.Start();
        QEventLoop loop;
        QTimer::singleShot(0, this, [&] {
            f.pages->MnuClose_Click();
            f.pages->Timer1_Timer();
        });
        QCOMPARE(loop.exec(), 0);
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
