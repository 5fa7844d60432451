// The insertion window under the offscreen platform with the fake platform: its rows,
// hidden clips, clicks, keys, the first-clip "{Minimize}" and the window flags that keep
// the keyboard with the browser.
#include "TestProgram.h"
#include "app/WindowShell.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kelpo;

static constexpr WindowId BrowserWin = 100;

struct Fixture {
    Fixture() {
        t.fakes.windows.foreground = BrowserWin;
        t.program.TargetWindow = BrowserWin;
    }
    // Fills the rows the way opening an entry does: hide flags first, then the clips.
    void Load(const QStringList& clips, const QList<int>& hidden = {}) {
        for (int i = 0; i < ClipCount; ++i) {
            t.program.CurrentClips[i] = clips.value(i);
            w.SetRowHidden(i, hidden.contains(i));
            w.SetRowClip(i, clips.value(i));
        }
    }
    QLabel* Row(int i) { return w.findChild<QLabel*>(QStringLiteral("Names_%1").arg(i)); }
    QPushButton* Button(const char* name) { return w.findChild<QPushButton*>(name); }
    // Lets the queued work after a show (keep on top, focus back) run.
    void Show() {
        w.ShowForUse();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    TestProgram t;
    DoIt w{t.program};
};

class DoItTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheKeyboardAwayFromItselfAndGivesItBackToTheTarget() {
        Fixture f;
        QVERIFY(f.w.windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint |
                                            Qt::WindowDoesNotAcceptFocus));
        QVERIFY(f.w.testAttribute(Qt::WA_ShowWithoutActivating));
        // No control can take the focus on a click.
        for (QWidget* child : f.w.findChildren<QWidget*>())
            QVERIFY2(child->objectName() == QLatin1String("Holdfocus") ||
                         !(child->focusPolicy() & Qt::ClickFocus),
                     qPrintable(child->objectName()));
        f.t.fakes.windows.foreground = WindowId(200); // the user clicked elsewhere meanwhile
        f.Load({"a"});
        f.Show();
        QVERIFY(f.t.fakes.windows.keptOnTop.contains(f.w.winId()));
        QCOMPARE(f.t.fakes.windows.activations, QList<WindowId>{BrowserWin});
    }

    void rowsAndButtonsTypeOnAnyMouseButtonHiddenRowsTheirRealText() {
        Fixture f;
        f.Load({"a", "s3cret", "{Down}{03}"}, {1});
        QCOMPARE(f.Row(1)->text(), QStringLiteral("******"));
        f.Show();
        QTest::mouseClick(f.Row(0), Qt::RightButton);
        QTest::mouseClick(f.Row(1), Qt::MiddleButton);
        QTest::mouseClick(f.Row(2), Qt::LeftButton);
        QTest::mouseClick(f.Row(5), Qt::LeftButton); // empty: nothing
        QTest::mouseClick(f.Button("LeftBtn"), Qt::RightButton);
        QTest::mouseClick(f.Button("RightBtn"), Qt::LeftButton);
        QTest::mouseClick(f.Button("ClickBtn"), Qt::MiddleButton);
        QCOMPARE(f.t.fakes.keys.typed, QStringLiteral("{HOME}+{END}{END}a{HOME}+{END}{END} s3cret"
                                                      "{Down 3}+{TAB}{TAB}{ENTER}"));
        // A press on a row released outside it does nothing.
        const int before = f.t.fakes.keys.calls;
        QTest::mousePress(f.Row(0), Qt::LeftButton);
        QTest::mouseRelease(f.Row(0), Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(f.t.fakes.keys.calls, before);
        // Auto Insert types the hidden field's real text too.
        QTest::mouseClick(f.Button("AutoBtn"), Qt::LeftButton);
        QVERIFY(f.t.fakes.keys.typed.endsWith(
            QStringLiteral("{HOME}+{END}{DEL}a{TAB}{HOME}+{END}{DEL}s3cret{TAB}{Down 3}")));
    }

    // Events are processed while keys are sent: another click, or Esc in test mode, may
    // arrive and must neither interleave with the send nor close the window under it.
    void inputDuringASendIsIgnored() {
        Fixture f;
        f.Load({"first", "second"});
        f.t.program.TestMode = 1;
        f.Show();
        f.t.fakes.keys.beforeSend = [&](const QString& keys) {
            if (keys == "first") {
                f.w.Names_MouseUp(1, 1, 0, 0, 0);
                f.w.AutoBtn_MouseUp();
                QTest::keyClick(&f.w, Qt::Key_Escape);
            }
        };
        f.w.Names_MouseUp(0, 1, 0, 0, 0);
        QCOMPARE(f.t.fakes.keys.typed, QStringLiteral("{HOME}+{END}{DEL}first{TAB}"));
        QVERIFY(f.w.isVisible());
        // Back on after the send; Esc in test mode goes back to the editor.
        f.w.Names_MouseUp(1, 1, 0, 0, 0);
        QVERIFY(f.t.fakes.keys.typed.endsWith(QStringLiteral("second{TAB}")));
        QTest::keyClick(&f.w, Qt::Key_Escape);
        QVERIFY(f.w.isHidden());
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
            Fixture f;
            f.t.program.TestMode = testMode;
            f.Load({clip}, hidden ? QList<int>{0} : QList<int>{});
            f.Show();
            QCOMPARE(f.w.isVisible(), shown);
            QCOMPARE(f.w.isMinimized(), minimised);
            f.Load({"user"});
            f.Show();
            QVERIFY(f.w.isVisible() && !f.w.isMinimized());
        }
    }

    void mainPageAndMinimiseButtonsAndClosingNeverLeaveNoWindow() {
        Fixture f;
        Pages pages(f.t.program);
        WindowShell shell(f.t.program, pages, f.w);
        f.t.program.shell = &shell;
        f.Load({"a"});
        pages.show();
        f.Show();
        QVERIFY(pages.isHidden()); // in place of the main window
        QTest::mouseClick(f.Button("UsePageBtn"), Qt::RightButton);
        QVERIFY(f.w.isHidden() && pages.isVisible() && !pages.isMinimized());
        f.Show();
        QTest::mouseClick(f.Button("MinimizeBtn"), Qt::LeftButton);
        QVERIFY(f.w.isHidden() && pages.isMinimized());
        pages.hide();
        f.Show();
        f.w.close();
        QTRY_VERIFY(pages.isVisible() && f.w.isHidden());
    }
};

QTEST_MAIN(DoItTest)
#include "doit_test.moc"
