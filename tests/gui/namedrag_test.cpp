// Dragging names and library buttons on the main window with synthetic mouse events (the
// pressed control keeps the mouse, as on a real display), and naming libraries in place.
#include "LibraryCensus.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace kelpo;
using namespace kelpo::census;

namespace {

struct Fixture {
    TestProgram t;
    Program& p = t.program;
    std::unique_ptr<Pages> pages;
    int failures = 0;

    Fixture() {
        p.settings.Version = SettingsVersion;
        p.onWriteFailed = [this](const QString&) { ++failures; };
        WriteEntry(Lib(0), 3, "Bank", 'a');
        WriteEntry(Lib(0), 4, "Mail", 'b');
        TestProgram::WriteAll(t.Path("Libnames.dat"),
                              QByteArray("Work         Home         ").leftJustified(247, ' '));
    }
    void Start() {
        pages = std::make_unique<Pages>(p);
        LoadLibraryNames(p);
        LoadNames(p);
        pages->RefreshLibraryNames();
        pages->RefreshNames();
        pages->show();
        QVERIFY(QTest::qWaitForWindowExposed(pages.get()));
    }
    QString Lib(int k) const { return t.Path(QStringLiteral("Lib%1/").arg(k + 1)); }
    QWidget* Name(int slot) { return pages->NameLabel(slot); }
    QPushButton* Library(int k) {
        return pages->findChild<QPushButton*>(QStringLiteral("LibraryBtn_%1").arg(k));
    }
    QWidget* Trash() { return pages->findChild<QWidget*>("Trashlabel"); }
    QLineEdit* Editor() { return pages->findChild<QLineEdit*>("LibNames"); }
    bool TrashShown() { return pages->findChild<QFrame*>("TrashFrame")->isVisible(); }
    QByteArray LibRecord(int k) { return FileOrEmpty(t.Path("Libnames.dat")).mid(k * 13, 13); }

    // A mouse event as the window sees it: delivered to `grabber` (the pressed control),
    // at the place of `at` (its centre plus `offset`).
    void Send(QWidget* grabber, QEvent::Type type, QWidget* at, QPoint offset,
              Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPoint global = at->mapToGlobal(at->rect().center() + offset);
        QMouseEvent event(type, grabber->mapFromGlobal(global), global, button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(grabber, &event);
    }
    // Presses `buttons` on `from`, moves over each of `path` and releases over the last.
    void Drag(QWidget* from, const QList<QWidget*>& path,
              Qt::MouseButtons buttons = Qt::LeftButton) {
        Qt::MouseButtons held;
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
            if (buttons & b)
                Send(from, QEvent::MouseButtonPress, from, {}, b, held |= b);
        for (QWidget* over : path)
            Send(from, QEvent::MouseMove, over, {}, Qt::NoButton, buttons);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
            if (buttons & b) {
                buttons &= ~b;
                Send(from, QEvent::MouseButtonRelease, path.last(), {}, b, buttons);
            }
    }
};

} // namespace

class NameDragTest : public QObject {
    Q_OBJECT
private slots:
    void aSmallMoveIsAClickALargerOneADrag() {
        Fixture f;
        f.Start();
        // 1 pixel (15 twips) each way: still a click, which opens the entry.
        f.Send(f.Name(3), QEvent::MouseButtonPress, f.Name(3), {}, Qt::LeftButton, Qt::LeftButton);
        f.Send(f.Name(3), QEvent::MouseMove, f.Name(3), {1, 1}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(!f.TrashShown());
        f.Send(f.Name(3), QEvent::MouseButtonRelease, f.Name(3), {1, 1}, Qt::LeftButton, {});
        QCOMPARE(f.p.settings.LastSlot, qint16(3));
        // 2 pixels: a drag; the trash covers the help panel; the release opens nothing.
        f.p.settings.LastSlot = 0;
        f.Send(f.Name(4), QEvent::MouseButtonPress, f.Name(4), {}, Qt::LeftButton, Qt::LeftButton);
        f.Send(f.Name(4), QEvent::MouseMove, f.Name(4), {0, 2}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(f.TrashShown());
        f.Send(f.Name(4), QEvent::MouseButtonRelease, f.Name(4), {0, 2}, Qt::LeftButton, {});
        QCOMPARE(f.p.settings.LastSlot, qint16(0));
        // The trash stays after the drop until the mouse moves over a name with no button.
        QVERIFY(f.TrashShown());
        f.Send(f.Name(9), QEvent::MouseMove, f.Name(9), {}, Qt::NoButton, {});
        QVERIFY(!f.TrashShown());
        // An empty slot cannot be dragged.
        f.Drag(f.Name(20), {f.Name(21)});
        QVERIFY(!f.TrashShown());
    }

    void nameMovedToAnotherLibraryThroughItsButton() {
        Fixture f;
        f.Start();
        const QByteArray bank = Entry(f.Lib(0), 3);
        // Over library button 4 the window shows library 4 at once, and the drop lands in
        // its slot 3: the same number as the source slot, in another library.
        f.Drag(f.Name(3), {f.Name(10), f.Library(3), f.Name(3)});
        QCOMPARE(f.p.settings.Library, qint16(3));
        QCOMPARE(Entry(f.Lib(3), 3), bank);
        QCOMPARE(Shown(f.p.ProgramFolder).keys(), QStringList({"Lib1/4", "Lib4/3"}));
        QVERIFY(!QFileInfo::exists(f.Lib(0) + "Page3.dat"));
        QCOMPARE(f.Name(3)->property("text").toString(), QString("Bank"));
        QCOMPARE(f.failures, 0);
    }

    void rightButtonAloneCopiesBothButtonsMove() {
        Fixture f;
        f.Start();
        const QByteArray bank = Entry(f.Lib(0), 3);
        f.Drag(f.Name(3), {f.Name(30)}, Qt::RightButton);
        QCOMPARE(Entry(f.Lib(0), 30), bank);
        QCOMPARE(Entry(f.Lib(0), 3), bank);
        f.Drag(f.Name(30), {f.Name(31)}, Qt::LeftButton | Qt::RightButton);
        QCOMPARE(Entry(f.Lib(0), 31), bank);
        QCOMPARE(Shown(f.p.ProgramFolder).keys(), QStringList({"Lib1/3", "Lib1/31", "Lib1/4"}));
        // Onto a named slot, onto itself, or onto nothing: no change.
        const auto before = Shown(f.p.ProgramFolder);
        for (QWidget* target : {f.Name(4), f.Name(3), static_cast<QWidget*>(f.Library(0))})
            f.Drag(f.Name(3), {f.Name(12), target});
        QCOMPARE(Shown(f.p.ProgramFolder), before);
        QCOMPARE(f.p.settings.LastSlot, qint16(0));
    }

    void trashErasesInTheLibraryTheNameCameFrom() {
        Fixture f;
        f.Start();
        f.Drag(f.Name(4), {f.Library(3), f.Trash()});
        QCOMPARE(f.p.settings.Library, qint16(0)); // back in the source library
        QCOMPARE(Shown(f.p.ProgramFolder).keys(), QStringList({"Lib1/3"}));
        QVERIFY(!QFileInfo::exists(f.Lib(0) + "Note4.txt"));
        QCOMPARE(f.Name(4)->property("text").toString(), QString());
    }

    void namingALibraryInPlace() {
        Fixture f;
        f.Start();
        // A right click switches to the library, then opens the editor on its name.
        QTest::mouseClick(f.Library(1), Qt::RightButton);
        QCOMPARE(f.p.settings.Library, qint16(1));
        QLineEdit* editor = f.Editor();
        QVERIFY(editor->isVisible() && !f.Library(1)->isVisible());
        QCOMPARE(editor->selectedText(), QString("Home"));
        // The window's own keys are the editor's now: Esc neither cancels nor minimises.
        QTest::keyClicks(editor, "Banking and more");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible() && !f.pages->isMinimized());
        QCOMPARE(editor->text(), QString("Banking and m")); // 13 characters
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.LibRecord(1), "Banking and m");
        QVERIFY(!editor->isVisible() && f.Library(1)->isVisible());
        QCOMPARE(f.p.settings.LastSlot, qint16(0)); // Enter opened no entry

        // A click elsewhere stores it too; an empty name unnames the library; a character
        // the file cannot hold is refused.
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        f.Editor()->clear();
        for (const char* typed : {"T", "r", "\u20ac", "p", " ", "\U0001F600", "s"}) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8(typed));
            QApplication::sendEvent(f.Editor(), &key);
        }
        QCOMPARE(f.Editor()->text(), QString::fromUtf8("Tr\u20acp s"));
        f.Send(f.Name(10), QEvent::MouseButtonPress, f.Name(10), {}, Qt::LeftButton,
               Qt::LeftButton);
        QCOMPARE(f.LibRecord(6), "Tr\x80p s       ");
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        f.Editor()->clear();
        QTest::keyClick(f.Editor(), Qt::Key_Return);
        QCOMPARE(f.LibRecord(6), QByteArray(13, ' '));
        QCOMPARE(f.failures, 0);
    }

    void librariesSwapCopyAndErase() {
        Fixture f;
        WriteEntry(f.Lib(1), 8, "Shop", 'c');
        f.Start();
        const auto before = Shown(f.p.ProgramFolder);
        // An unnamed library cannot be dragged: no trash, no change.
        f.Drag(f.Library(9), {f.Library(10)});
        QVERIFY(!f.TrashShown());
        // Work onto Home: they swap; the dropped-on button is current.
        f.Drag(f.Library(0), {f.Library(1)});
        QCOMPARE(f.LibRecord(1), "Work         ");
        QCOMPARE(f.LibRecord(0), "Home         ");
        QCOMPARE(Entry(f.Lib(1), 3), before["Lib1/3"]);
        QCOMPARE(f.p.settings.Library, qint16(1));
        QCOMPARE(f.Name(3)->property("text").toString(), QString("Bank"));
        // Passing over other buttons while a library is dragged switches nothing.
        f.Drag(f.Library(1), {f.Library(5), f.Library(6), f.Library(7)}, Qt::RightButton);
        QCOMPARE(f.LibRecord(7), "Work         ");
        QCOMPARE(f.LibRecord(1), "Work         ");
        QCOMPARE(Entry(f.Lib(7), 3), Entry(f.Lib(1), 3));
        QCOMPARE(f.p.settings.Library, qint16(7));
        // The trash erases a library: then library 0 is current (1 when 0 was erased).
        f.Drag(f.Library(7), {f.Trash()});
        QVERIFY(!QFileInfo::exists(f.Lib(7)));
        QCOMPARE(f.LibRecord(7), QByteArray(13, ' '));
        QCOMPARE(f.p.settings.Library, qint16(0));
        f.Drag(f.Library(0), {f.Trash()});
        QCOMPARE(f.p.settings.Library, qint16(1));
        QCOMPARE(Shown(f.p.ProgramFolder).keys(), QStringList({"Lib2/3", "Lib2/4"}));
        QCOMPARE(f.failures, 0);
    }
};

QTEST_MAIN(NameDragTest)
#include "namedrag_test.moc"
