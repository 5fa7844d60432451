// The insertion window under the offscreen platform with the fake platform: its rows,
// scrolling, hidden clips, clicks, keys, the first-clip "{Minimize}" and the window flags
// that keep the keyboard with the browser.
#include "TestProgram.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "mainwindow/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace kelpo;

namespace {

constexpr WindowId BrowserWin = 100;
constexpr WindowId TerminalWin = 200;

struct Fixture {
    Fixture() {
        t.fakes.windows.titles[BrowserWin] = "Sign in - Web Browser";
        t.fakes.windows.titles[TerminalWin] = "Terminal";
        t.fakes.windows.foreground = BrowserWin;
        t.program.TargetWindow = BrowserWin;
    }
    // Fills the rows the way opening an entry does: hide flags first, then the clips.
    void Load(const QStringList& clips, const QList<int>& hidden = {}) {
        for (int i = 0; i < ClipCount; ++i) {
            const QString clip = i < clips.size() ? clips[i] : QString();
            t.program.CurrentClips[i] = clip;
            w.SetRowHidden(i, hidden.contains(i));
            w.SetRowClip(i, clip);
        }
    }
    QLabel* Row(int i) { return w.findChild<QLabel*>(QStringLiteral("Names_%1").arg(i)); }
    QPushButton* Button(const char* name) { return w.findChild<QPushButton*>(name); }
    QWidget* Child(const char* name) { return w.findChild<QWidget*>(name); }
    // Lets the queued work after a show (keep on top, focus back) run.
    void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    TestProgram t;
    DoIt w{t.program};
};

} // namespace

class DoItTest : public QObject {
    Q_OBJECT
private slots:
    void windowIsNamedAndRegistered() {
        TestProgram t;
        auto* w = new DoIt(t.program);
        QCOMPARE(w->windowTitle(), QStringLiteral(" Kelpo (Insertion)"));
        QCOMPARE(t.program.doIt, w);
        // The program forgets a window that is gone.
        delete w;
        QCOMPARE(t.program.doIt, nullptr);
    }

    void keepsTheKeyboardAwayFromItself() {
        Fixture f;
        const Qt::WindowFlags flags = f.w.windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(f.w.testAttribute(Qt::WA_ShowWithoutActivating));
        // No visible control can take the focus on a click.
        for (QWidget* child : f.w.findChildren<QWidget*>()) {
            if (child->objectName() == QLatin1String("Holdfocus"))
                continue;
            QVERIFY2(child->focusPolicy() == Qt::NoFocus ||
                         !(child->focusPolicy() & Qt::ClickFocus),
                     qPrintable(child->objectName()));
        }
        QCOMPARE(f.Button("UsePageBtn")->text(), QStringLiteral(" Main Page"));
        QCOMPARE(f.Button("MinimizeBtn2")->text(), QStringLiteral("Minimize This"));
        QCOMPARE(f.Button("EditBtn")->text(), QStringLiteral("Edit"));
        QCOMPARE(f.Button("AutoBtn")->text(), QStringLiteral("Auto Insert"));
        QCOMPARE(f.Button("LeftBtn")->text(), QStringLiteral("<"));
        QCOMPARE(f.Button("RightBtn")->text(), QStringLiteral(">"));
        QCOMPARE(f.Button("ClickBtn")->text(), QStringLiteral("Click"));
        QCOMPARE(f.Button("MinimizeBtn")->text(), QStringLiteral("Minimize Kelpo "));
    }

    void showingKeepsItOnTopAndGivesTheKeyboardBack() {
        Fixture f;
        f.t.fakes.windows.foreground = TerminalWin;
        f.t.program.TargetWindow = BrowserWin;
        f.Load({"a"});
        f.w.ShowForUse();
        f.Settle();
        QVERIFY(f.w.isVisible());
        QVERIFY(f.t.fakes.windows.keptOnTop.contains(f.w.winId()));
        QCOMPARE(f.t.fakes.windows.activations, QList<WindowId>{BrowserWin});
        QCOMPARE(f.t.fakes.windows.foreground, BrowserWin);

        // The desktop as target is never brought forward.
        f.w.hide();
        f.t.fakes.windows.activations.clear();
        f.t.fakes.windows.desktops.append(TerminalWin);
        f.t.fakes.windows.foreground = 1;
        f.t.program.TargetWindow = TerminalWin;
        f.w.ShowForUse();
        f.Settle();
        QVERIFY(f.t.fakes.windows.activations.isEmpty());
    }

    void placedWhereItWasLeft() {
        TestProgram t;
        t.program.settings.InsertLeft = 1500;
        t.program.settings.InsertTop = 3000;
        DoIt w(t.program);
        QCOMPARE(w.pos(), QPoint(TwipsToPixels(1500, &w), TwipsToPixels(3000, &w)));
    }

    void fortyRowsTwentyThreeInView() {
        Fixture f;
        auto* outer = f.Child("Useouterframe");
        auto* inner = f.Child("UseInnerFrame");
        for (int i = 0; i < ClipCount; ++i) {
            QLabel* row = f.Row(i);
            QVERIFY2(row, qPrintable(QString::number(i)));
            QCOMPARE(row->parentWidget(), inner);
            QCOMPARE(row->y(), TwipsToPixels(i * InsertionRowTwips, row));
            // The added rows copy row 0's left edge and width.
            QCOMPARE(row->x(), f.Row(0)->x());
            QCOMPARE(row->width(), f.Row(0)->width());
        }
        QVERIFY(!f.Row(40));
        QCOMPARE(outer->height(), TwipsToPixels(InsertionVisibleRows * InsertionRowTwips, outer));
        auto* scroll = f.w.findChild<QScrollBar*>("UseScroll");
        QCOMPARE(scroll->minimum(), 0);
        QCOMPARE(scroll->maximum(), 17);
        // The hide flags are never shown.
        QVERIFY(f.Child("HideOption_0")->isHidden());
        QVERIFY(f.Child("HideOption_39")->isHidden());
    }

    void scrollingToSeventeenShowsRowsSeventeenToThirtyNine() {
        Fixture f;
        auto* outer = f.Child("Useouterframe");
        auto* scroll = f.w.findChild<QScrollBar*>("UseScroll");
        const auto visible = [&](int i) {
            const QRect r(f.Row(i)->mapTo(outer, QPoint(0, 0)), f.Row(i)->size());
            return outer->rect().contains(r);
        };
        QVERIFY(visible(0) && visible(22) && !visible(23));
        scroll->setValue(17);
        QCOMPARE(f.Row(17)->mapTo(outer, QPoint(0, 0)).y(), 0);
        for (int i = 0; i < ClipCount; ++i)
            QCOMPARE(visible(i), i >= 17);
        // A turn of the wheel over the rows scrolls too.
        QWheelEvent up(QPointF(5, 5), outer->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 240),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.Row(20), &up);
        QCOMPARE(scroll->value(), 15);
    }

    void hiddenClipsShowStarsButTypeTheirText() {
        Fixture f;
        f.Load({"user", "123456789012", "", "{Tab}"}, {1, 2});
        QCOMPARE(f.Row(0)->text(), QStringLiteral("user"));
        QCOMPARE(f.Row(1)->text(), QStringLiteral("************"));
        QCOMPARE(f.Row(2)->text(), QString()); // an empty hidden clip stays empty
        QCOMPARE(f.Row(3)->text(), QStringLiteral("{Tab}"));
        QCOMPARE(f.Row(1)->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(f.Row(2)->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.Child("HideOption_1")->property("checked").toBool(), true);
        QCOMPARE(f.Child("HideOption_0")->property("checked").toBool(), false);

        // A real left click on the starred row types the password itself.
        f.w.show();
        f.Settle();
        QTest::mouseClick(f.Row(1), Qt::LeftButton);
        QCOMPARE(f.t.fakes.keys.typed, QStringLiteral("{HOME}+{END}{DEL}123456789012{TAB}"));

        // Opening another entry overwrites every row.
        f.Load({"x"});
        QCOMPARE(f.Row(1)->text(), QString());
        QCOMPARE(f.Row(1)->cursor().shape(), Qt::ArrowCursor);
    }

    void rowsAndButtonsActOnAnyMouseButton() {
        Fixture f;
        f.Load({"a", "b", "{Down}{03}"});
        f.w.show();
        f.Settle();
        QTest::mouseClick(f.Row(0), Qt::RightButton);
        QTest::mouseClick(f.Row(1), Qt::MiddleButton);
        QTest::mouseClick(f.Row(2), Qt::LeftButton);
        QTest::mouseClick(f.Row(5), Qt::LeftButton); // empty: nothing
        QTest::mouseClick(f.Button("LeftBtn"), Qt::RightButton);
        QTest::mouseClick(f.Button("RightBtn"), Qt::LeftButton);
        QTest::mouseClick(f.Button("ClickBtn"), Qt::MiddleButton);
        QCOMPARE(f.t.fakes.keys.typed, QStringLiteral("{HOME}+{END}{END}a{HOME}+{END}{END} b"
                                                      "{Down 3}+{TAB}{TAB}{ENTER}"));
        QVERIFY(f.w.KeyHandling());

        // A press on a row released outside it does nothing.
        const int before = f.t.fakes.keys.calls;
        QTest::mousePress(f.Row(0), Qt::LeftButton);
        QTest::mouseRelease(f.Row(0), Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(f.t.fakes.keys.calls, before);
    }

    void keyHandlingIsOffWhileSending() {
        Fixture f;
        f.Load({"abc"});
        bool onDuringSend = true;
        f.t.fakes.keys.beforeSend = [&](const QString&) { onDuringSend = f.w.KeyHandling(); };
        f.w.Names_MouseUp(0, Qt::LeftButton);
        QVERIFY(!onDuringSend);
        QVERIFY(f.w.KeyHandling());
    }

    void aClickDuringASendWaitsItsTurnInsteadOfInterleaving() {
        Fixture f;
        f.Load({"first", "second"});
        f.t.fakes.keys.beforeSend = [&](const QString& keys) {
            // Events are processed while keys are sent; a second click may arrive.
            if (keys == "first") {
                f.w.Names_MouseUp(1, Qt::LeftButton);
                f.w.AutoBtn_MouseUp();
                f.w.RightBtn_MouseUp();
            }
        };
        f.w.Names_MouseUp(0, Qt::LeftButton);
        QCOMPARE(f.t.fakes.keys.typed, QStringLiteral("{HOME}+{END}{DEL}first{TAB}"));
        f.t.fakes.keys.beforeSend = nullptr;
        f.w.Names_MouseUp(1, Qt::LeftButton);
        QVERIFY(f.t.fakes.keys.typed.endsWith(QStringLiteral("second{TAB}")));
    }

    void autoInsertPausesTheTimerAndTypesTheLogIn() {
        Fixture f;
        QList<bool> timer;
        f.t.program.pauseTimer = [&](bool paused) { timer.append(paused); };
        f.Load({"jane", "s3cret", "{Enter}", "{Stop Auto}", "answer"}, {1});
        f.w.show();
        f.Settle();
        QTest::mouseClick(f.Button("AutoBtn"), Qt::LeftButton);
        QCOMPARE(f.t.fakes.keys.typed,
                 QStringLiteral("{HOME}+{END}{DEL}jane{TAB}{HOME}+{END}{DEL}s3cret{TAB}{Enter 1}"));
        QCOMPARE(timer, (QList<bool>{true, false}));
        QVERIFY(f.w.KeyHandling());
    }

    void firstClipMinimizeGetsTheProgramOutOfTheWay() {
        // Normal use: the window goes (the main window is minimised when there is one).
        {
            Fixture f;
            f.Load({"{Minimize}"});
            f.w.ShowForUse();
            f.Settle();
            QVERIFY(f.w.isHidden());
        }
        // While testing: only this window is minimised.
        {
            Fixture f;
            f.t.program.TestMode = 1;
            f.Load({"{Minimize}", "user"});
            f.w.ShowForUse();
            f.Settle();
            QVERIFY(f.w.isVisible());
            QVERIFY(f.w.isMinimized());
            // Opened again: it comes back (and goes again, being a plain bookmark).
            f.Load({"user"});
            f.w.ShowForUse();
            f.Settle();
            QVERIFY(!f.w.isMinimized());
        }
        // Exactly "{Minimize}": another letter case, or a hidden row showing stars, stays.
        for (bool hidden : {false, true}) {
            Fixture f;
            f.Load({hidden ? "{Minimize}" : "{minimize}"}, hidden ? QList<int>{0} : QList<int>{});
            f.w.ShowForUse();
            f.Settle();
            QVERIFY(f.w.isVisible());
            QVERIFY(!f.w.isMinimized());
        }
    }

    void minimiseButtons() {
        Fixture f;
        f.Load({"a"});
        f.w.show();
        f.Settle();
        QTest::mouseClick(f.Button("MinimizeBtn2"), Qt::RightButton);
        QVERIFY(f.w.isMinimized());
        f.w.ShowForUse();
        f.Settle();
        QVERIFY(!f.w.isMinimized());
        QTest::mouseClick(f.Button("MinimizeBtn"), Qt::LeftButton);
        QVERIFY(f.w.isHidden());
        f.w.ShowForUse();
        QTest::mouseClick(f.Button("UsePageBtn"), Qt::LeftButton);
        QVERIFY(f.w.isHidden());
    }

    void theMainWindowComesBackOrGoesWithIt() {
        TestProgram t;
        Pages pages(t.program);
        DoIt w(t.program);
        t.program.CurrentClips[0] = "a";
        w.SetRowClip(0, "a");
        pages.show();
        w.ShowForUse();
        QVERIFY(pages.isHidden()); // in place of the main window
        QVERIFY(w.isVisible());

        QTest::mouseClick(w.findChild<QPushButton*>("UsePageBtn"), Qt::RightButton);
        QVERIFY(w.isHidden());
        QVERIFY(pages.isVisible());
        QVERIFY(!pages.isMinimized());

        w.ShowForUse();
        QTest::mouseClick(w.findChild<QPushButton*>("MinimizeBtn"), Qt::LeftButton);
        QVERIFY(w.isHidden());
        QVERIFY(pages.isMinimized());

        // Closing the insertion window never leaves the program without a window.
        pages.hide();
        w.ShowForUse();
        w.close();
        QTRY_VERIFY(pages.isVisible());
        QVERIFY(w.isHidden());
    }

    void escapeGoesBackToTheEditorOnlyInTestMode() {
        Fixture f;
        f.Load({"a"});
        f.t.program.CurrentSlot = 7;
        f.w.show();
        f.Settle();
        QTest::keyClick(&f.w, Qt::Key_Escape);
        QVERIFY(f.w.isVisible());
        QCOMPARE(f.t.program.TestMode, 0);

        // With key handling off (keys being sent) Esc does nothing either.
        f.t.program.TestMode = 1;
        f.w.SetKeyHandling(false);
        QTest::keyClick(&f.w, Qt::Key_Escape);
        QVERIFY(f.w.isVisible());
        f.w.SetKeyHandling(true);

        f.w.SetQuickHelpVisible(true);
        QTest::keyClick(&f.w, Qt::Key_Escape);
        QVERIFY(f.w.isHidden());
        QVERIFY(f.Child("HelpFrame")->isHidden());
    }

    void editOpensTheEntryInUseForEditing() {
        Fixture f;
        f.Load({"a"});
        f.t.program.CurrentSlot = 7;
        f.t.program.EditSlot = 3;
        f.w.show();
        QTest::mouseClick(f.Button("EditBtn"), Qt::LeftButton);
        QVERIFY(f.w.isHidden());
        QCOMPARE(f.t.program.TestMode, 1);
        QCOMPARE(f.t.program.EditSlot, 7);
    }

    void enterAndHelpKeysAreConsumed() {
        Fixture f;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        press.ignore();
        QCoreApplication::sendEvent(&f.w, &press);
        QVERIFY(press.isAccepted());
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        release.ignore();
        QCoreApplication::sendEvent(&f.w, &release);
        QVERIFY(release.isAccepted());
        QKeyEvent help(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        help.ignore();
        QCoreApplication::sendEvent(&f.w, &help);
        QVERIFY(help.isAccepted());
        QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        other.ignore();
        QCoreApplication::sendEvent(&f.w, &other);
        QVERIFY(!other.isAccepted());
    }

    void quickHelpExplainsTheControlUnderTheMouse() {
        Fixture f;
        auto* help = f.w.findChild<QLabel*>("HelpLabel");
        QVERIFY(f.Child("HelpFrame")->isHidden());
        QCOMPARE(help->text(), QStringLiteral("Kelpo Quick Help"));
        const auto enter = [&](QWidget* widget) {
            QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QCoreApplication::sendEvent(widget, &event);
            return help->text();
        };
        QCOMPARE(enter(f.Button("AutoBtn")), QStringLiteral("Inserts all clips."));
        QCOMPARE(enter(f.Button("ClickBtn")), QStringLiteral("Clicks highlighted button"));
        QCOMPARE(enter(f.Button("EditBtn")),
                 QStringLiteral("Back to edit window.\nOr use Esc key"));
        QCOMPARE(enter(f.Button("LeftBtn")), QStringLiteral("Moves cursor to previous field."));
        QCOMPARE(enter(f.Button("RightBtn")), QStringLiteral("Moves cursor to Next field."));
        QCOMPARE(enter(f.Row(33)), QStringLiteral("Left click overwrites.\nRight click appends."));
        // Other controls leave the text as it is.
        QCOMPARE(enter(f.Button("UsePageBtn")),
                 QStringLiteral("Left click overwrites.\nRight click appends."));
    }
};

QTEST_MAIN(DoItTest)
#include "doit_test.moc"
