// The Website Editor's quick help and its Test button, offscreen with the real windows and
// the fake platform: what the help panel says under the pointer, and a test run through
// the test slot and the insertion window back to the editor, which never touches the slot
// being edited until Save.
#include "ModalDriver.h"
#include "TestProgram.h"
#include "app/WindowShell.h"
#include "editor/Edit.h"
#include "entries/ClipSet.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"
#include "widgets/MouseEnterTracker.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <functional>

using namespace kelpo;

namespace {

constexpr int Slot = 3;

struct Fixture {
    TestProgram t;
    Program& p = t.program;
    Pages pages{p};
    DoIt doIt{p};
    WindowShell shell{p, pages, doIt};

    Fixture() {
        p.settings.Version = SettingsVersion;
        p.shell = &shell;
        LoadNames(p);
        pages.show();
    }
    ~Fixture() { p.shell = nullptr; }

    void Entry(const QString& url, const QStringList& clips) {
        ClipSet e;
        e.Slot = Slot;
        e.Name = "Bank";
        e.Color = 0x00FFFFFF;
        e.Url = url;
        std::copy(clips.begin(), clips.end(), e.Clips.begin());
        QVERIFY(SaveClipSet(p, e));
        pages.RefreshNames();
    }
    // Every file of the library, by name.
    QMap<QString, QByteArray> Files() {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(p.LibraryFolder).entryList(QDir::Files))
            files[name] = TestProgram::ReadAll(t.LibraryPath(name));
        return files;
    }
    // The files that hold slot 3's entry, with the names file's record of it.
    QByteArray SlotBytes() {
        QByteArray bytes = TestProgram::ReadAll(t.LibraryPath("Page3.dat")) +
                           TestProgram::ReadAll(t.LibraryPath("Page3.h"));
        return bytes + TestProgram::ReadAll(t.LibraryPath("Names.dat")).mid(3 * 34, 34);
    }
    // Runs `act` in the editor that `open` brings up.
    void InEditor(const std::function<void()>& open, const std::function<void(Edit*)>& act) {
        OnModal on("Edit", [&](QWidget* w) { act(static_cast<Edit*>(w)); });
        open();
        QVERIFY(on.fired);
    }
    void FromMainWindow(const std::function<void(Edit*)>& act) {
        InEditor([&] { pages.UseBtn_MouseUp(Slot, 1, 0, 0, 0); }, act);
    }
    void FromInsertionWindow(const std::function<void(Edit*)>& act) {
        InEditor([&] { doIt.EditBtn_MouseUp(); }, act);
    }
    QStringList& Opened() { return t.fakes.browser.opened; }
};

void Enter(QWidget* editor, const QString& name) {
    QWidget* control = editor->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(control, &event);
}

} // namespace

class EditTestTest : public QObject {
    Q_OBJECT
private slots:
    void helpFollowsThePointerForTheWholeOpeningAsLoaded() {
        Fixture f;
        f.Entry("", {"a"});
        QStringList titles;
        f.FromMainWindow([&](Edit* e) {
            auto title = [&] { titles << e->HelpLabel(0)->text(); };
            QVERIFY(e->findChild<QFrame*>("HelpFrame")->isVisible());
            Enter(e, "Names_11");
            title();
            QVERIFY(e->HelpLabel(1)->text().endsWith(
                "\n\nClick to insert command in the clips and command list."));
            Enter(e, "Clipboardcolor_24"); // the marker, like every swatch
            title();
            Enter(e, "Label1"); // the name field's label has no row of its own
            title();
            Enter(e, "data_39");
            title();
            // A command index the table does not have leaves the panel as it is.
            e->Mouser_MouseEnter("Edit", "Names(13)");
            title();
            e->CancelBtn_MouseUp();
        });
        QCOMPARE(titles, QStringList({"Command Click", "Color", "Kelpo Quick Help",
                                      "Clips and Command List", "Clips and Command List"}));

        // Off when the editor opens: off for the whole opening, whatever the setting does.
        f.p.settings.QuickHelpOff = 1;
        f.FromMainWindow([&](Edit* e) {
            QCOMPARE(e->Mouser()->Mode(), int(MouseEnterTracker::Off));
            f.p.settings.QuickHelpOff = 0;
            Enter(e, "SaveBtn");
            QCOMPARE(e->HelpLabel(0)->text(),
                     QString("Quick Help can be turned on from the Options dialog."));
            e->CancelBtn_MouseUp();
        });
    }

    void testRunsTheEntryAsShownThroughTheTestSlotAndSaveWritesTheRealSlot() {
        Fixture f;
        f.Entry("https://bank.example/", {"old"});
        const QByteArray before = f.SlotBytes();
        f.FromMainWindow([&](Edit* e) {
            e->Title()->setText("Bank two");
            e->Data(0)->setText("   "); // blanks are no clip
            e->Data(39)->setText("last row only");
            e->TestBtn_MouseUp();
        });
        // The insertion window has the tested entry, with its help; the main window and
        // the editor are away; the browser started once.
        QCOMPARE(f.p.TestMode, 1);
        QCOMPARE(f.p.EditSlot, Slot);
        QCOMPARE(f.p.CurrentSlot, TestSlot);
        QVERIFY(f.doIt.isVisible() && !f.pages.isVisible());
        QVERIFY(f.doIt.findChild<QFrame*>("HelpFrame")->isVisible());
        QCOMPARE(f.Opened(), QStringList({"https://bank.example/"}));
        QCOMPARE(f.p.SlotNames[TestSlot], QString("Bank two"));
        QCOMPARE(ReadClips(f.p.LibraryFolder, TestSlot)[39], QString("last row only"));
        QCOMPARE(f.SlotBytes(), before);

        // Back in the editor on the tested content; a second Test reuses the browser.
        f.FromInsertionWindow([&](Edit* e) {
            QCOMPARE(e->Title()->text(), QString("Bank two"));
            QCOMPARE(e->Data(39)->text(), QString("last row only"));
            e->TestBtn_MouseUp();
        });
        QCOMPARE(f.Opened().size(), 1);
        // A click into the bookmark field makes the next Test start it again.
        f.FromInsertionWindow([&](Edit* e) {
            e->WebPageTitle()->setFocus();
            QTRY_VERIFY(e->WebPageTitle()->hasFocus());
            e->TestBtn_MouseUp();
        });
        QCOMPARE(f.Opened().size(), 2);
        QCOMPARE(f.SlotBytes(), before);

        // Save writes the slot being edited, not the test slot, and the main window is back.
        f.FromInsertionWindow([&](Edit* e) {
            e->Data(1)->setText("saved");
            e->SaveBtn_MouseUp();
        });
        QCOMPARE(f.p.SlotNames[Slot], QString("Bank two"));
        const ClipArray clips = ReadClips(f.p.LibraryFolder, Slot);
        QCOMPARE(clips[1], QString("saved"));
        QCOMPARE(clips[39], QString("last row only"));
        QVERIFY(f.pages.isVisible());
        QCOMPARE(f.p.TestPageLoaded, 0);
    }

    void cancelAfterATestLeavesTheSlotAsItWas() {
        Fixture f;
        f.Entry("https://bank.example/", {"old", "{Tab}"});
        const QByteArray slotBefore = f.SlotBytes();
        QMap<QString, QByteArray> before = f.Files();
        f.FromMainWindow([&](Edit* e) {
            e->Data(0)->setText("changed");
            e->WebPageTitle()->setText("https://elsewhere.example/");
            e->TestBtn_MouseUp();
        });
        f.FromInsertionWindow([](Edit* e) { e->CancelBtn_MouseUp(); });
        QCOMPARE(f.SlotBytes(), slotBefore);
        QCOMPARE(ReadUrl(f.p.LibraryFolder, Slot), QString("https://bank.example/"));
        // Besides the test slot's files and its records in the shared tables, nothing
        // changed.
        QMap<QString, QByteArray> after = f.Files();
        for (const char* shared : {"Page50.dat", "Page50.h", "Names.dat", "url.dat"}) {
            before.remove(shared);
            after.remove(shared);
        }
        QCOMPARE(after, before);
        QVERIFY(f.pages.isVisible());
    }

    void withoutClipsTestOnlyOpensTheBookmarkEveryTime() {
        Fixture f;
        f.Entry("", {});
        f.FromMainWindow([&](Edit* e) {
            e->TestBtn_MouseUp(); // no clips, no address: nothing
            QVERIFY(e->isVisible());
            e->WebPageTitle()->setText("https://only.example/  ");
            e->TestBtn_MouseUp();
            e->TestBtn_MouseUp();
            QVERIFY(e->isVisible());
            QCOMPARE(f.p.TestMode, 0);
            e->CancelBtn_MouseUp();
        });
        QCOMPARE(f.Opened(), QStringList({"https://only.example/", "https://only.example/"}));
        QVERIFY(!QFileInfo::exists(f.t.LibraryPath("Page50.dat")));
    }
};

QTEST_MAIN(EditTestTest)
#include "edittest_test.moc"
