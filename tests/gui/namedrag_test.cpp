// Dragging names and library buttons on the main window with synthetic mouse events (the
// pressed control keeps the mouse, as on a real display), and naming libraries in place.
// What the moves do to the files is the entry and library operations' own test.
#include "Gui.h"
#include "LibraryCensus.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>

using namespace kelpo;
using namespace kelpo::census;

namespace {

struct Drags : Gui {
    int failures = 0;
    Drags() {
        p.onWriteFailed = [this](const QString&) { ++failures; };
        WriteEntry(Lib(0), 3, "Bank", 'a');
        WriteEntry(Lib(0), 4, "Mail", 'b');
        WriteEntry(Lib(1), 8, "Shop", 'c');
        TestProgram::WriteAll(t.Path("Libnames.dat"),
                              QByteArray("Work         Home         ").leftJustified(247, ' '));
        Start();
        QVERIFY(QTest::qWaitForWindowActive(pages.get())); // for the editor's focus-out
    }
    QString Lib(int k) const { return t.Path(QStringLiteral("Lib%1/").arg(k + 1)); }
    QWidget* Name(int slot) { return pages->NameLabel(slot); }
    QWidget* Library(int k) { return Child(QStringLiteral("LibraryBtn_%1").arg(k)); }
    bool TrashShown() { return Child("TrashFrame")->isVisible(); }
    QByteArray LibRecord(int k) { return FileOrEmpty(t.Path("Libnames.dat")).mid(k * 13, 13); }

    // A mouse event delivered to `grabber` (the pressed control) at the centre of `at`.
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
            if (buttons & b)
                Send(from, QEvent::MouseButtonRelease, path.last(), {}, b, buttons &= ~b);
    }
};

} // namespace

class NameDragTest : public QObject {
    Q_OBJECT
private slots:
    void aSmallMoveIsAClickAndTheButtonsChooseCopyOrMove() {
        Drags f;
        // 1 pixel (15 twips) each way: still a click, which opens the entry.
        f.Send(f.Name(3), QEvent::MouseButtonPress, f.Name(3), {}, Qt::LeftButton, Qt::LeftButton);
        f.Send(f.Name(3), QEvent::MouseMove, f.Name(3), {1, 1}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(!f.TrashShown());
        f.Send(f.Name(3), QEvent::MouseButtonRelease, f.Name(3), {1, 1}, Qt::LeftButton, {});
        QCOMPARE(f.p.settings.LastSlot, qint16(3));
        f.shell->ShowMainWindow();
        // 2 pixels: a drag; the trash covers the help panel and stays after the drop, which
        // opens nothing, until the mouse moves over a name with no button.
        f.p.settings.LastSlot = 0;
        f.Send(f.Name(4), QEvent::MouseButtonPress, f.Name(4), {}, Qt::LeftButton, Qt::LeftButton);
        f.Send(f.Name(4), QEvent::MouseMove, f.Name(4), {0, 2}, Qt::NoButton, Qt::LeftButton);
        QVERIFY(f.TrashShown());
        f.Send(f.Name(4), QEvent::MouseButtonRelease, f.Name(4), {0, 2}, Qt::LeftButton, {});
        QVERIFY(f.TrashShown());
        f.Send(f.Name(9), QEvent::MouseMove, f.Name(9), {}, Qt::NoButton, {});
        QVERIFY(!f.TrashShown());
        // An empty slot cannot be dragged.
        f.Drag(f.Name(20), {f.Name(21)});
        QVERIFY(!f.TrashShown());

        // The right button alone copies, both buttons move.
        const QByteArray bank = Entry(f.Lib(0), 3);
        f.Drag(f.Name(3), {f.Name(30)}, Qt::RightButton);
        f.Drag(f.Name(30), {f.Name(31)}, Qt::LeftButton | Qt::RightButton);
        QCOMPARE(Shown(f.p.ProgramFolder).keys(),
                 QStringList({"Lib1/3", "Lib1/31", "Lib1/4", "Lib2/8"}));
        QCOMPARE(Entry(f.Lib(0), 31), bank);
        // Onto a named slot, onto itself, or onto nothing: no change, and nothing opens.
        const auto before = Shown(f.p.ProgramFolder);
        for (QWidget* target : {f.Name(4), f.Name(3), f.Library(0)})
            f.Drag(f.Name(3), {f.Name(12), target});
        QCOMPARE(Shown(f.p.ProgramFolder), before);
        QCOMPARE(f.p.settings.LastSlot, qint16(0));
        QCOMPARE(f.failures, 0);
    }

    void librariesSwapCopyAndErase() {
        Drags f;
        const auto before = Shown(f.p.ProgramFolder);
        // An unnamed library cannot be dragged.
        f.Drag(f.Library(9), {f.Library(10)});
        QVERIFY(!f.TrashShown());
        // Work onto Home: they swap, and the dropped-on button is current.
        f.Drag(f.Library(0), {f.Library(1)});
        QCOMPARE(f.LibRecord(0) + f.LibRecord(1), QByteArray("Home         Work         "));
        QCOMPARE(Entry(f.Lib(1), 3), before["Lib1/3"]);
        QCOMPARE(f.p.settings.Library, qint16(1));
        QCOMPARE(f.Name(3)->property("text").toString(), QString("Bank"));
        // Passing over other buttons while a library is dragged switches nothing; the right
        // button copies.
        f.Drag(f.Library(1), {f.Library(5), f.Library(6), f.Library(7)}, Qt::RightButton);
        QCOMPARE(f.LibRecord(7) + f.LibRecord(1), QByteArray("Work         Work         "));
        QCOMPARE(Entry(f.Lib(7), 3), Entry(f.Lib(1), 3));
        QCOMPARE(f.p.settings.Library, qint16(7));
        // The trash erases a library; then library 0 is current (1 when 0 was erased).
        f.Drag(f.Library(7), {f.Child("Trashlabel")});
        QVERIFY(!QFileInfo::exists(f.Lib(7)));
        QCOMPARE(f.LibRecord(7), QByteArray(13, ' '));
        QCOMPARE(f.p.settings.Library, qint16(0));
        f.Drag(f.Library(0), {f.Child("Trashlabel")});
        QCOMPARE(f.p.settings.Library, qint16(1));
        QCOMPARE(f.failures, 0);
    }

    void namingALibraryInPlace() {
        Drags f;
        // A right click switches to the library, then opens the editor on its name, whose
        // keys are the window's now: Esc neither cancels nor minimises; 13 characters fit;
        // Enter stores and opens no entry.
        QTest::mouseClick(f.Library(1), Qt::RightButton);
        QCOMPARE(f.p.settings.Library, qint16(1));
        auto* editor = f.Child<QLineEdit>("LibNames");
        QVERIFY(editor->isVisible() && !f.Library(1)->isVisible());
        QCOMPARE(editor->selectedText(), QString("Home"));
        QTest::keyClicks(editor, "Banking and more");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible() && !f.pages->isMinimized());
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.LibRecord(1), "Banking and m");
        QVERIFY(!editor->isVisible() && f.Library(1)->isVisible());
        QCOMPARE(f.p.settings.LastSlot, qint16(0));

        // A click elsewhere stores too; a character the file cannot hold is refused; an
        // empty name unnames the library.
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        editor->clear();
        for (const char* typed : {"T", "\u20ac", "\U0001F600", "s"}) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8(typed));
            QApplication::sendEvent(editor, &key);
        }
        f.Send(f.Name(10), QEvent::MouseButtonPress, f.Name(10), {}, Qt::LeftButton,
               Qt::LeftButton);
        QCOMPARE(f.LibRecord(6), "T\x80s          ");
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.LibRecord(6), QByteArray(13, ' '));
        QCOMPARE(f.failures, 0);
    }
};

QTEST_MAIN(NameDragTest)
#include "namedrag_test.moc"
