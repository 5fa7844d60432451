// Using an entry, offscreen with the fake platform: the insertion window's rows, buttons
// and first-clip "{Minimize}", input during a send, opening an entry (when the browser
// starts, when the password is asked) and every way out of the password prompt.
#include "Gui.h"
#include "entries/PageFiles.h"
#include "insertion/Delform.h"
#include "insertion/GetPassword.h"
#include "insertion/OpenEntry.h"

#include <QLabel>
#include <QLineEdit>

using namespace kelpo;

namespace {

constexpr WindowId BrowserWin = 100;

// The windows with a browser in front that the program takes as its target.
struct Use : Gui {
    FakeBrowser& browser = t.fakes.browser;
    Use() {
        t.fakes.windows.foreground = BrowserWin;
        p.TargetWindow = BrowserWin;
        Start();
    }
    // Fills the rows as opening an entry does (hide flags first, then the clips) and shows
    // the window, letting the queued work after a show run.
    void Show(const QStringList& clips, const QList<int>& hidden = {}) {
        for (int i = 0; i < ClipCount; ++i) {
            p.CurrentClips[i] = clips.value(i);
            doIt->SetRowHidden(i, hidden.contains(i));
            doIt->SetRowClip(i, clips.value(i));
        }
        doIt->ShowForUse();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QWidget* Row(int i) { return doIt->findChild<QWidget*>(QStringLiteral("Names_%1").arg(i)); }
    QString& Typed() { return t.fakes.keys.typed; }
};

} // namespace

class InsertionTest : public QObject {
    Q_OBJECT
private slots:
    // A desktop may activate the window after it was shown (Wayland compositors granting
    // Qt's request): the browser gets the keyboard back then too, but a foreign window the
    // user put in front meanwhile keeps it.
    void anActivationAfterTheShowGoesBackToTheBrowserNotFromAnotherWindow() {
        Use f;
        FakeWindowSystem& windows = f.t.fakes.windows;
        f.Show({"a"});
        windows.activations.clear();
        windows.foreground = 0; // the window itself, as a Wayland backend reports it
        QTRY_COMPARE(windows.foreground, BrowserWin);
        QCOMPARE(windows.activations, QList<WindowId>{BrowserWin});
        f.doIt->hide();
        f.Show({"a"});
        windows.activations.clear();
        windows.foreground = WindowId(300);
        QTest::qWait(700); // past every second look
        QVERIFY(windows.activations.isEmpty());
        QCOMPARE(windows.foreground, WindowId(300));
    }

    void rowsButtonsAndTheWayBackToTheMainWindow() {
        Use f;
        f.t.fakes.windows.foreground = WindowId(200); // the user clicked elsewhere meanwhile
        f.Show({"a", "s3cret"}, {1});
        QVERIFY(f.t.fakes.windows.keptOnTop.contains(f.doIt->winId()));
        QCOMPARE(f.t.fakes.windows.activations, QList<WindowId>{BrowserWin});
        // The middle button appends like the right one, a hidden row its real text; the
        // buttons answer any mouse button; a press released outside a row does nothing.
        QTest::mouseClick(f.Row(1), Qt::MiddleButton);
        Click(f.doIt.get(), "LeftBtn", Qt::RightButton);
        Click(f.doIt.get(), "ClickBtn", Qt::MiddleButton);
        QTest::mousePress(f.Row(0), Qt::LeftButton);
        QTest::mouseRelease(f.Row(0), Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(f.Typed(), QString("{HOME}+{END}{END}s3cret+{TAB}{ENTER}"));
        QCOMPARE(f.Row(1)->property("text").toString(), QString("******"));
        // In place of the main window; going back to it, minimising or closing never leaves
        // no window.
        QVERIFY(f.pages->isHidden());
        Click(f.doIt.get(), "UsePageBtn", Qt::RightButton);
        QVERIFY(f.doIt->isHidden() && f.pages->isVisible() && !f.pages->isMinimized());
        f.Show({"a"});
        Click(f.doIt.get(), "MinimizeBtn");
        QVERIFY(f.doIt->isHidden() && f.pages->isMinimized());
        f.pages->hide();
        f.Show({"a"});
        f.doIt->close();
        QTRY_VERIFY(f.pages->isVisible() && f.doIt->isHidden());
    }

    // Where no task bar lists the tool window (or there is none), the tray icon is the
    // minimised window's way back.
    void minimizeThisLeavesTheTrayIconAsTheWayBack() {
        Use f;
        FakeTrayIcon& tray = f.t.fakes.tray;
        f.Show({"a"});
        f.doIt->MinimizeBtn2_MouseUp();
        QVERIFY(f.doIt->isMinimized() && tray.visible);
        // A left click brings the insertion window back, not the main window.
        tray.onLeftClick();
        QVERIFY(f.doIt->isVisible() && !f.doIt->isMinimized() && !f.pages->isVisible());
        QVERIFY(!tray.visible);
        // Restored some other way (a task bar), the icon goes all the same.
        f.doIt->MinimizeBtn2_MouseUp();
        f.doIt->showNormal();
        QVERIFY(!tray.visible);
    }

    // Events are processed while keys are sent: another click, or Esc in test mode, may
    // arrive and must neither interleave with the send nor close the window under it.
    void inputDuringASendIsIgnored() {
        Use f;
        f.p.TestMode = 1;
        f.Show({"first", "second"});
        OnModal editor("Edit", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        f.t.fakes.keys.beforeSend = [&](const QString& keys) {
            if (keys == "first") {
                f.doIt->Names_MouseUp(1, 1, 0, 0, 0);
                f.doIt->AutoBtn_MouseUp();
                QTest::keyClick(f.doIt.get(), Qt::Key_Escape);
            }
        };
        f.doIt->Names_MouseUp(0, 1, 0, 0, 0);
        QCOMPARE(f.Typed(), QString("{HOME}+{END}{DEL}first{TAB}"));
        QVERIFY(f.doIt->isVisible() && !editor.fired);
        // Back on after the send; Esc in test mode goes back to the editor.
        f.doIt->Names_MouseUp(1, 1, 0, 0, 0);
        QVERIFY(f.Typed().endsWith("second{TAB}"));
        QTest::keyClick(f.doIt.get(), Qt::Key_Escape);
        QVERIFY(editor.fired && f.doIt->isHidden());
    }

    void firstClipMinimizeGetsTheProgramOutOfTheWay() {
        // Normal use: the window goes; while testing it is only minimised. Only exactly
        // "{Minimize}" counts, and not behind stars. The next entry always shows.
        using Case = std::tuple<QString, bool, int, bool, bool>; // hidden, test mode, shown, min
        const QList<Case> cases = {{"{Minimize}", false, 0, false, false},
                                   {"{Minimize}", false, 1, true, true},
                                   {"{minimize}", false, 0, true, false},
                                   {"{Minimize}", true, 0, true, false}};
        for (const auto& [clip, hidden, testMode, shown, minimised] : cases) {
            Use f;
            f.p.TestMode = testMode;
            f.Show({clip}, hidden ? QList<int>{0} : QList<int>{});
            QVERIFY2(f.doIt->isVisible() == shown && f.doIt->isMinimized() == minimised,
                     qPrintable(clip));
            f.Show({"user"});
            QVERIFY(f.doIt->isVisible() && !f.doIt->isMinimized());
        }
    }

    void openingShowsTheClipsStartsTheBookmarkOrBothAfterThePrompt() {
        Use f;
        f.Entry(3, "Clips", "", "", {"user", "{Tab}", "", "pass"});
        f.Entry(5, "Both", "mail.example", "", {"me"});
        f.Entry(6, "Bookmark", "https://news.example/today?a=1 b", "", {});
        f.p.CurrentClips[7] = "stale";
        LoadClipSetForUse(f.p, 3);
        QCOMPARE(f.p.CurrentClips, (ClipArray{"user", "{Tab}", "", "pass"}));
        QVERIFY(f.doIt->isVisible() && !f.pages->isVisible() && f.browser.opened.isEmpty());
        // A URL alone starts the browser and leaves the main window up.
        f.doIt->hide();
        f.pages->show();
        LoadClipSetForUse(f.p, 6);
        QCOMPARE(f.browser.opened, QStringList{"https://news.example/today?a=1 b"});
        QVERIFY(f.pages->isVisible() && !f.doIt->isVisible());
        // Neither, or files never written: nothing opens, but the slot is remembered.
        LoadClipSetForUse(f.p, 40);
        QVERIFY(f.Saved().LastSlot == 40 && f.p.CurrentClips == ClipArray{});
        // A right click shows the clips without the browser; a URL without clips, nothing
        // at all; the next ordinary click starts the browser again.
        f.pages->Pagenames_MouseUp(5, 2, 0, 0, 0);
        QVERIFY(f.doIt->isVisible() && f.browser.opened.size() == 1 && f.p.SkipBookmark == 0);
        f.pages->Pagenames_MouseUp(6, 2, 0, 0, 0);
        QVERIFY(f.browser.opened.size() == 1 && f.p.SkipBookmark == 0);
        f.pages->Pagenames_MouseUp(6, 1, 0, 0, 0);
        QCOMPARE(f.browser.opened.size(), 2);

        // A password prompt given up: the skip cleared, nothing read or started, the slot
        // stored before the prompt.
        f.Entry(7, "Bank", "bank.example", "Secret", {"user", "pass"});
        f.doIt->hide();
        f.pages->show();
        f.browser.opened.clear();
        f.p.SkipBookmark = 1;
        OnModal cancel("GetPassword", [](QWidget* w) { static_cast<GetPassword*>(w)->reject(); });
        LoadClipSetForUse(f.p, 7);
        QVERIFY(cancel.fired && f.p.SkipBookmark == 0 && f.p.CurrentClips == ClipArray{});
        QVERIFY(f.Saved().LastSlot == 7);
        QVERIFY(f.pages->isVisible() && !f.doIt->isVisible() && f.browser.opened.isEmpty());

        // The test slot asks nothing and starts the browser once, with the window up.
        f.Entry(TestSlot, "Try", "try.example", "secret", {"a", "b"});
        f.browser.opened.clear();
        f.p.TestMode = 1;
        OnModal never("GetPassword", [](QWidget* w) { static_cast<GetPassword*>(w)->reject(); });
        LoadClipSetForUse(f.p, TestSlot);
        LoadClipSetForUse(f.p, TestSlot);
        QVERIFY(f.p.CurrentPassword == "secret" && !never.fired);
        QVERIFY(f.browser.opened == QStringList{"try.example"} && f.doIt->isVisible());
    }

    void wrongPasswordIsHeardAndSeenEnterAnswersOnItsReleaseAndEveryWayOutEmptiesIt() {
        // Letter by letter without case, blanks kept: the sharp s has no one-letter capital.
        QVERIFY(PasswordMatches("sEcReT ÄPFEL", "Secret äpfel"));
        QVERIFY(!PasswordMatches("secret ", "secret"));
        QVERIFY(!PasswordMatches("STRASSE", "straße"));
        TestProgram t;
        t.program.CurrentPassword = "Secret";
        GetPassword prompt(t.program);
        QLineEdit* text1 = prompt.Text1();
        prompt.show();
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        QCOMPARE(TabChain(&prompt, text1).join(' '), QString("OKBtn CancelBtn ForgotBtn Text1"));
        text1->setFocus();
        QTest::keyClicks(text1, "secret ");
        Click(&prompt, "OKBtn");
        // Heard and seen; the typed text stays, selected, with the focus. Typing again
        // replaces it, and the notice goes.
        QVERIFY(t.fakes.sound.played == 1 && prompt.WrongLabel()->isVisible());
        QVERIFY(text1->selectedText() == "secret " && text1->hasFocus());
        QTest::keyClicks(text1, "sECRET");
        QVERIFY(text1->text() == "sECRET" && !prompt.WrongLabel()->isVisible());
        // A release whose press happened elsewhere (the main window's Enter) is no answer;
        // the press never reaches the text box; the release answers.
        QTest::keyRelease(text1, Qt::Key_Return);
        QVERIFY(prompt.isVisible());
        QTest::keyPress(text1, Qt::Key_Enter);
        QTest::keyRelease(text1, Qt::Key_Enter);
        QVERIFY(prompt.result() == QDialog::Accepted && t.program.CurrentPassword == "Secret");
        Delform forgot(t.program);
        forgot.show();
        QCOMPARE(TabChain(&forgot, forgot.findChild<QWidget*>("CancelBtn")).join(' '),
                 QString("DelBtn CancelBtn"));
        forgot.hide();

        // After a wrong try: Cancel, Esc, or "Forgot Password" then Cancel there empty the
        // password and delete nothing; "Delete Page" there clears the slot but keeps its note.
        for (const char* way : {"CancelBtn", "Esc", "ForgotBtn", "DelBtn"}) {
            Gui g;
            g.Entry(3, "Locked", "https://a.example/", "pw", {"x"});
            TestProgram::WriteAll(g.t.LibraryPath("Note3.txt"), "notes stay");
            g.p.CurrentSlot = 3;
            g.p.CurrentPassword = "pw";
            const bool forgot = way == QByteArray("ForgotBtn") || way == QByteArray("DelBtn");
            OnModal prompt("GetPassword", [&](QWidget* w) {
                QLineEdit* text1 = static_cast<GetPassword*>(w)->Text1();
                QTest::keyClicks(text1, "wrong");
                Click(w, "OKBtn");
                way == QByteArray("Esc") ? QTest::keyClick(text1, Qt::Key_Escape)
                                         : Click(w, forgot ? "ForgotBtn" : way);
            });
            OnModal del("Delform", [&](QWidget* w) {
                Click(w, way == QByteArray("DelBtn") ? "DelBtn" : "CancelBtn");
            });
            QVERIFY(!AskForPassword(g.p, 3));
            QVERIFY(del.fired == forgot && g.p.CurrentPassword.isEmpty());
            const bool deleted = way == QByteArray("DelBtn");
            QCOMPARE(ReadClips(g.p.LibraryFolder, 3)[0] + ReadUrl(g.p.LibraryFolder, 3),
                     QString(deleted ? "" : "xhttps://a.example/"));
            QCOMPARE(g.File("Note3.txt"), QByteArray("notes stay"));
        }
    }
};

QTEST_MAIN(InsertionTest)
#include "insertion_test.moc"
