// The main window's notes and quick-help panels under the pointer, and the Notes window,
// with the fake platform. The pointer's moves come as the enter events Qt sends.
#include "ModalDriver.h"
#include "TestProgram.h"
#include "entries/NoteFile.h"
#include "mainwindow/NotesForm.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "widgets/MouseEnterTracker.h"

#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace kelpo;

namespace {

struct Fixture {
    TestProgram t;
    Program& p = t.program;
    std::unique_ptr<Pages> pages;

    Fixture() {
        p.settings.Version = SettingsVersion;
        QDir().mkpath(p.LibraryFolder);
    }
    void Start() {
        LoadLibraryNames(p);
        LoadNames(p);
        pages = std::make_unique<Pages>(p);
        pages->show();
        QVERIFY(QTest::qWaitForWindowExposed(pages.get()));
    }
    void Name(int slot, const QString& name) {
        QVERIFY(WriteNameRecord(p, p.LibraryFolder, slot, name, 0x00FFFFFF));
    }
    template <typename T = QWidget> T* Child(const QString& name) {
        return pages->findChild<T*>(name);
    }
    void Enter(const QString& control) {
        QWidget* widget = Child(control);
        QVERIFY2(widget, qPrintable(control));
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(widget, &event);
    }
    QString Notes() { return Child<QLabel>("NotesText")->text(); }
    QString Title() { return Child<QLabel>("HelpLabel_0")->text(); }
    QString Help() { return Child<QLabel>("HelpLabel_1")->text(); }
    QString NotePath(int slot) { return t.LibraryPath(QStringLiteral("Note%1.txt").arg(slot)); }
    void RightClickEdit(int slot) {
        QTest::mouseClick(Child(QStringLiteral("UseBtn_%1").arg(slot)), Qt::RightButton);
    }
};

} // namespace

class PagesPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void namesShowTheirNotesAndEveryControlItsHelp() {
        Fixture f;
        f.Name(3, "Bank");
        TestProgram::WriteAll(f.NotePath(3), "PIN hint\r\nsecond line");
        TestProgram::WriteAll(f.NotePath(4), "   ");
        f.Start();

        f.Enter("Pagenames_3");
        QCOMPARE(f.Notes(), QString("PIN hint\nsecond line"));
        QCOMPARE(f.Title(), QString("Name"));
        QVERIFY(f.Help().startsWith("Click to go to bookmark"));
        // Other controls leave the notes alone.
        f.Enter("UseBtn_7");
        QCOMPARE(f.Notes(), QString("PIN hint\nsecond line"));
        QCOMPARE(f.Title(), QString("Website Editor"));
        f.Enter("LibraryBtn_18");
        QCOMPARE(f.Title(), QString("Libraries"));
        f.Enter("Command1");
        QCOMPARE(f.Help(), QString("Overview.\nHow To.\nExamples.\n"));
        f.Enter("Trashlabel");
        QCOMPARE(f.Title(), QString("Kelpo Quick Help"));

        // A blank note is shown once, then its file is gone; an empty slot gets the set-up
        // hint, and once named the usage hint.
        f.Enter("Pagenames_4");
        QCOMPARE(f.Notes(), QString("   "));
        QVERIFY(!QFileInfo::exists(f.NotePath(4)));
        QVERIFY(f.Help().startsWith("Shows the name of the bookmark/Clip set\n\n"));
        f.Enter("Pagenames_3");
        f.Name(4, "Mail");
        LoadNames(f.p);
        f.pages->RefreshNames();
        f.Enter("Pagenames_4");
        QCOMPARE(f.Notes(), QString());
        QVERIFY(f.Help().startsWith("Click to go to bookmark"));
    }

    void quickHelpOffKeepsTheHelpPanelButNotTheNotes() {
        Fixture f;
        f.p.settings.QuickHelpOff = 1;
        TestProgram::WriteAll(f.NotePath(10), "ten");
        f.Start();
        const QString offTitle = "Quick Help can be turned on from the Options dialog.";
        QCOMPARE(f.Title(), offTitle);
        f.Enter("Pagenames_10");
        f.Enter("OptionBtn");
        QCOMPARE(f.Notes(), QString("ten"));
        QCOMPARE(f.Title(), offTitle);
        QCOMPARE(f.Help(), QString());
        // Back on: the next enter shows its help.
        f.p.settings.QuickHelpOff = 0;
        f.pages->ApplyQuickHelpState();
        f.Enter("UpgradeBtn");
        QCOMPARE(f.Title(), QString("Kelpo Free Upgrades"));
    }

    void notesWindowSavesHoweverItClosesWithTheTrackerOffMeanwhile() {
        Fixture f;
        f.Name(5, "Bank & Co");
        f.Start();
        bool trackerWasOff = false;
        QString caption;
        QRect notesFrame;
        OnModal typing("NotesForm", [&](QWidget* window) {
            caption = window->windowTitle();
            notesFrame = window->frameGeometry();
            trackerWasOff = f.pages->Mouser()->Mode() == MouseEnterTracker::Off;
            f.Enter("Pagenames_9"); // the pointer crosses the main window: no report
            auto* note = window->findChild<QPlainTextEdit*>("Note");
            QTest::keyClicks(note, "first");
            QTest::keyClick(note, Qt::Key_Return);
            QTest::keyClicks(note, "second");
            QTest::keyClick(note, Qt::Key_Escape);
        });
        f.RightClickEdit(5);
        QVERIFY(typing.fired);
        QCOMPARE(caption, QString(" Notes for Bank & Co"));
        QVERIFY(trackerWasOff);
        QCOMPARE(notesFrame.right(), f.pages->frameGeometry().right());
        QCOMPARE(notesFrame.top(), f.pages->frameGeometry().top());
        QCOMPARE(TestProgram::ReadAll(f.NotePath(5)), QByteArray("first\r\nsecond"));
        QCOMPARE(f.Notes(), QString("first\nsecond"));
        QCOMPARE(f.pages->Mouser()->Mode(), int(MouseEnterTracker::On));
        f.Enter("Pagenames_5");
        QCOMPARE(f.Notes(), QString("first\nsecond"));

        // An empty slot: no name in the caption, the close box saves an empty file, which
        // the next look at that slot removes.
        OnModal closing("NotesForm", [&](QWidget* window) {
            caption = window->windowTitle();
            window->close();
        });
        f.RightClickEdit(6);
        QVERIFY(closing.fired);
        QCOMPARE(caption, QString(" Notes for "));
        QVERIFY(QFileInfo::exists(f.NotePath(6)));
        QCOMPARE(QFileInfo(f.NotePath(6)).size(), 0);
        f.Enter("Pagenames_6");
        QVERIFY(!QFileInfo::exists(f.NotePath(6)));

        // "Close" keeps what was there and saves it again.
        OnModal close("NotesForm", [&](QWidget* window) {
            QTest::mouseClick(window->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        });
        f.RightClickEdit(5);
        QVERIFY(close.fired);
        QCOMPARE(TestProgram::ReadAll(f.NotePath(5)), QByteArray("first\r\nsecond"));
    }

    void notesRefuseWhatTheFileCannotHoldAndSayWhy() {
        Fixture f;
        TestProgram::WriteAll(f.NotePath(2), "keep \xE9");
        NotesForm notes(f.p, 2, "X", nullptr);
        notes.show();
        QPlainTextEdit* note = notes.Note();
        QCOMPARE(note->toPlainText(), QString::fromUtf8("keep é"));
        note->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(QString::fromUtf8(" and 😀"));
        note->paste();
        QCOMPARE(note->toPlainText(), QString::fromUtf8("keep é"));
        QVERIFY(notes.Notice()->isVisible());
        QVERIFY(notes.Notice()->text().contains(QString::fromUtf8("😀")));
        // Too long for a note file (a line break counts two): refused whole.
        QApplication::clipboard()->setText(QString(NoteMaxLength - 7, 'x') + "\n");
        note->paste();
        QCOMPARE(note->toPlainText(), QString::fromUtf8("keep é"));
        QVERIFY(notes.Notice()->text().contains("20000"));
        // What fits is taken, and the notice goes.
        QApplication::clipboard()->setText(QString::fromUtf8(" ok €"));
        note->paste();
        QVERIFY(notes.Notice()->isHidden());
        notes.OKBtn_Click();
        QCOMPARE(TestProgram::ReadAll(f.NotePath(2)), QByteArray("keep \xE9 ok \x80"));
    }

    void aNoteThatCannotBeSavedKeepsTheWindowOpenOnce() {
        Fixture f;
        NotesForm notes(f.p, 1, "X", nullptr);
        notes.show();
        QTest::keyClicks(notes.Note(), "precious");
        // The library folder goes away under the open window.
        QVERIFY(QDir(f.p.LibraryFolder).removeRecursively());
        notes.OKBtn_Click();
        QVERIFY(notes.isVisible());
        QVERIFY(notes.Notice()->text().contains("could not be saved"));
        QCOMPARE(notes.Note()->toPlainText(), QString("precious"));
        notes.OKBtn_Click();
        QVERIFY(!notes.isVisible());
        QVERIFY(!notes.Saved());
    }
};

QTEST_MAIN(PagesPanelsTest)
#include "pagespanels_test.moc"
