// The main window with the fake platform: what it shows from the files, clicks, keys and
// its Tab chain, the notes and quick-help panels, the Notes and Options windows, dragging
// names and libraries (what the moves write is the operations' own test), naming a
// library in place, and start-up. The real program's starts are the end-to-end runs' part.
#include "Gui.h"
#include "LibraryCensus.h"
#include "app/Startup.h"
#include "entries/NoteFile.h"
#include "mainwindow/NotesForm.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MouseEnterTracker.h"
#include "widgets/Shell.h"

#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolTip>

using namespace kelpo;
using namespace kelpo::census;

namespace {

QColor Back(QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}
QString Text(Gui& g, const QString& label) {
    return g.Child<QLabel>(label)->text();
}

// Two entries in library 1, one in library 2, the first two libraries named.
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
    }
    QString Lib(int k) const { return t.Path(QStringLiteral("Lib%1/").arg(k + 1)); }
    QWidget* Name(int slot) { return pages->NameLabel(slot); }
    QWidget* Library(int k) { return Child(QStringLiteral("LibraryBtn_%1").arg(k)); }
    bool TrashShown() { return Child("TrashFrame")->isVisible(); }
    QByteArray LibRecord(int k) { return FileOrEmpty(t.Path("Libnames.dat")).mid(k * 13, 13); }
    // A mouse event delivered to `grabber` (the pressed control keeps the mouse, as on a
    // display) at the centre of `at` plus `offset`.
    void Send(QWidget* grabber, QEvent::Type type, QWidget* at, QPoint offset = {},
              Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons buttons = Qt::LeftButton) {
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

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheFilesAndClicksKeysAndLibrariesWork() {
        Gui g;
        TestProgram::WriteAll(g.t.Path("Libnames.dat"),
                              QByteArray("B&Q shopping!").leftJustified(247, ' '));
        QVERIFY(WriteNameRecord(g.p, g.t.Path("Lib5/"), 2, "Fifth", 0x0000FF00));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bob", 0x000000FF)); // red
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 46, "bill", 0x00FFFFFF));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 49, "last", 0)); // 0 reads white
        g.Start();
        auto name = [&](int slot) { return g.pages->NameLabel(slot); };
        QVERIFY(Back(name(3)) == QColor(255, 0, 0) && Back(name(49)) == QColor(Qt::white));
        // Captions as stored: an ampersand is shown, not turned into a shortcut.
        QCOMPARE(g.Child<QPushButton>("LibraryBtn_0")->text().replace("&&", "&"),
                 QString("B&Q shopping!"));
        // First-letter search highlights, Shift+letter goes back, Enter opens.
        QTest::keyClick(g.pages.get(), Qt::Key_B);
        QCOMPARE(Back(name(3)), QApplication::palette().color(QPalette::Highlight));
        QTest::keyClick(g.pages.get(), Qt::Key_B, Qt::ShiftModifier);
        QTest::keyClick(g.pages.get(), Qt::Key_Return);
        QVERIFY(Back(name(3)) == QColor(255, 0, 0) && g.p.settings.LastSlot == 46);
        // An empty slot clears the clips, so no old clip can be typed; a release away from
        // a name is no click; a right click opens it too.
        g.p.CurrentClips[0] = "left over";
        QTest::mouseClick(name(5), Qt::LeftButton);
        QTest::mousePress(name(49), Qt::LeftButton);
        QTest::mouseRelease(name(49), Qt::LeftButton, {}, QPoint(-20, 5));
        QVERIFY(g.p.CurrentClips[0].isEmpty() && g.p.settings.LastSlot == 46);
        QTest::mouseClick(name(49), Qt::RightButton);
        QCOMPARE(g.p.settings.LastSlot, qint16(49));
        // A library button switches on the press, right button too, stores the choice and
        // shows that folder; made-up indexes are refused.
        QTest::mousePress(g.Child("LibraryBtn_4"), Qt::RightButton);
        QVERIFY(g.Saved().Library == 4 && name(2)->property("text") == "Fifth");
        g.pages->LibraryBtn_MouseDown(19, 1, 0, 0, 0);
        g.pages->LibraryBtn_MouseDown(-1, 1, 0, 0, 0);
        QCOMPARE(g.Saved().Library, qint16(4));
    }

    void everyStopOfTheTabChainIsSeenAndTheKeysStillWork() {
        Gui g;
        g.p.settings.QuickHelpOff = 1; // the Minimize box shows
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bob", 0x00FFFFFF));
        g.Start();
        QStringList expected;
        for (int i = 0; i < VisibleSlotCount; ++i)
            expected << QStringLiteral("UseBtn_%1").arg(i);
        for (int k = 0; k < LibraryCount; ++k)
            expected << QStringLiteral("LibraryBtn_%1").arg(k);
        expected += QStringList{"MinimizeBtn", "OptionBtn", "UpgradeBtn", "Command1"};
        // It opens with no button focused (Space presses nothing); Tab starts at the first
        // Edit button.
        auto* holdfocus = g.Child("Holdfocus");
        g.pages->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(g.pages.get()));
        QCOMPARE(QApplication::focusWidget(), holdfocus);
        QCOMPARE(TabChain(g.pages.get(), holdfocus), expected);
        // A button reached with Tab keeps the focus through its own action, and the
        // first-letter search, Enter and Esc still work.
        auto* library = g.Child<QPushButton>("LibraryBtn_2");
        library->setFocus(Qt::TabFocusReason);
        QTest::keyClick(library, Qt::Key_Space);
        QVERIFY(g.Saved().Library == 2 && QApplication::focusWidget() == library);
        g.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        QTest::keyClick(library, Qt::Key_B);
        QTest::keyClick(library, Qt::Key_Return);
        QCOMPARE(g.p.settings.LastSlot, qint16(3));
        QTest::keyClick(library, Qt::Key_Escape);
        QVERIFY(g.pages->isMinimized());
    }

    void panelsShowTheNotesAndTheHelpOfTheControlUnderThePointer() {
        Gui g;
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bank", 0x00FFFFFF));
        TestProgram::WriteAll(g.t.LibraryPath("Note3.txt"), "PIN hint\r\nsecond line");
        g.Start();
        // Each control its help; only names change the notes.
        for (const char* pair : {"Pagenames_3|Name", "UseBtn_7|Website Editor",
                                 "LibraryBtn_18|Libraries", "Trashlabel|Kelpo Quick Help"}) {
            Enter(g.Child(QString(pair).section('|', 0, 0)));
            QCOMPARE(Text(g, "HelpLabel_0") + "|" + Text(g, "NotesText"),
                     QString(pair).section('|', 1) + "|PIN hint\nsecond line");
        }
        // An empty slot gets the set-up hint.
        Enter(g.Child("Pagenames_4"));
        QVERIFY(Text(g, "HelpLabel_1").startsWith("Shows the name of the bookmark"));

        // A title of two lines pushes the text down below it.
        auto* title = g.Child<QLabel>("HelpLabel_0");
        auto* text = g.Child<QLabel>("HelpLabel_1");
        const int line = title->fontMetrics().lineSpacing();
        const int oneLineTop = text->y();
        title->setText(QString("Wrapped title ").repeated(8));
        g.pages->ApplyQuickHelpState(); // lays the panel out afresh
        QVERIFY(title->height() >= 2 * line && text->y() > oneLineTop);
        QVERIFY(text->y() >= title->geometry().bottom() + line / 2);
        // Quick help off keeps the help panel still, but not the notes; the Minimize box
        // sits below the title, inside the panel. Back on, the next enter shows its help.
        g.p.settings.QuickHelpOff = 1;
        g.pages->ApplyQuickHelpState();
        Enter(g.Child("Pagenames_3"));
        Enter(g.Child("OptionBtn"));
        QCOMPARE(Text(g, "NotesText"), QString("PIN hint\nsecond line"));
        QCOMPARE(Text(g, "HelpLabel_0") + Text(g, "HelpLabel_1"),
                 QString("Quick Help can be turned on from the Options dialog."));
        QWidget* minimize = g.Child("MinimizeBtn");
        QVERIFY(minimize->isVisible() && minimize->y() > title->geometry().bottom());
        QVERIFY(minimize->geometry().bottom() <= g.Child("HelpFrame")->height());
        // Quick help on in the Options window, with a right press: saved at once, and the
        // Minimize box goes. The other pair is a separate group.
        Settings afterHelp, afterMinimize;
        bool boxShown = true;
        QString optionsChain;
        OnModal on("Options", [&](QWidget* w) {
            // No invisible stop in the chain (a hidden control once took a Tab).
            optionsChain = TabChain(w, w->findChild<QWidget*>("CloseBtn")).join(' ');
            QTest::mousePress(w->findChild<QRadioButton*>("HelpOption_0"), Qt::RightButton);
            afterHelp = g.Saved();
            boxShown = minimize->isVisible();
            QTest::mousePress(w->findChild<QRadioButton*>("MinimizeOption_1"), Qt::LeftButton);
            afterMinimize = g.Saved();
            Click(w, "CloseBtn");
        });
        QTest::mouseClick(g.Child("OptionBtn"), Qt::LeftButton);
        QVERIFY(on.fired && !boxShown && afterHelp.QuickHelpOff == 0);
        QCOMPARE(optionsChain, QString("HelpOption_0 MinimizeOption_0 CloseBtn"));
        QVERIFY(afterMinimize.MinimizeToTray == 1 && afterMinimize.QuickHelpOff == 0);
        // The next enter shows its help again.
        Enter(g.Child("UpgradeBtn"));
        QCOMPARE(Text(g, "HelpLabel_0"), QString("Kelpo Free Upgrades"));
    }

    void longNamesEndInAnEllipsisWithTheWholeNameAsTipAndTheMarkLeavesTheEndInSight() {
        Gui g;
        const QString name = "Westminster Building Society 1"; // 30, the most a name holds
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, name, 0x00FFFFFF));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 4, "Bob", 0x00FFFFFF));
        g.Start();
        const QString library = "MMMMMMMMMMMMM"; // 13, the most a library name holds
        g.p.LibraryNames[1] = library;
        g.pages->RefreshLibraryNames();
        auto* button = g.Child<QPushButton>("LibraryBtn_1");
        QVERIFY(button->text().endsWith(QChar(0x2026)) && button->toolTip() == library);
        QCOMPARE(g.Child("LibraryBtn_0")->toolTip(), QString());
        auto tip = [](QWidget* widget) {
            QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::text();
        };
        QCOMPARE(tip(g.pages->NameLabel(4)), QString()); // a name that fits has none
        auto* label = qobject_cast<ElidedLabel*>(g.pages->NameLabel(3));
        QVERIFY(label && label->ShownText().endsWith(QChar(0x2026)));
        QCOMPARE(tip(label), name);
        // The mark beside the clicked name: the shortened name ends before it, and gets its
        // whole room back when the mark goes with a library switch.
        const int wholeRoom = label->ShownTextRight();
        g.pages->Pagenames_MouseUp(3, 2, 0, 0, 0);
        auto* pointer = g.Child("Pointer");
        QVERIFY(pointer->isVisible());
        QVERIFY(label->mapTo(g.pages.get(), QPoint(label->ShownTextRight(), 0)).x() <=
                pointer->x());
        g.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        QCOMPARE(label->ShownTextRight(), wholeRoom);
        // The About window has its one button as its one Tab stop.
        QString aboutChain;
        OnModal about("AboutForm", [&](QWidget* w) {
            aboutChain = TabChain(w, w->findChild<QWidget*>("OKButton")).join(' ');
            Click(w, "OKButton");
        });
        QTest::mouseClick(g.Child("UpgradeBtn"), Qt::LeftButton);
        QVERIFY(about.fired);
        QCOMPARE(aboutChain, QString("OKButton"));
    }

    void withoutATrayTheTaskBarAndATrayThatTurnsUpTakesTheWaitingWindow() {
        Gui g;
        g.Start();
        g.p.settings.MinimizeToTray = 1;
        FakeTrayIcon& tray = g.t.fakes.tray;
        tray.available = false;
        g.pages->Minimize();
        QVERIFY(g.pages->isVisible() && g.pages->isMinimized() && !tray.visible);
        tray.available = true;
        tray.onAvailable();
        QVERIFY(!g.pages->isVisible() && tray.visible);
        // Task bar chosen: a tray turning up changes nothing.
        tray.onLeftClick();
        g.p.settings.MinimizeToTray = 0;
        QTest::keyClick(g.pages.get(), Qt::Key_Escape);
        tray.onAvailable();
        QVERIFY(g.pages->isVisible() && g.pages->isMinimized() && !tray.visible);
    }

    void notesWindowSavesHoweverItClosesAndRefusesWhatTheFileCannotHold() {
        Gui g;
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 5, "Bank & Co", 0x00FFFFFF));
        g.Start();
        // Beside the main window's top right, captioned with the entry's name (none for an
        // empty slot); Esc, the close box and Close all save; the pointer crossing the main
        // window meanwhile reports nothing.
        for (const char* way : {"Esc", "close box", "OKBtn"}) {
            for (int slot : {5, 6}) {
                const QString typed = QString("by %1\n%2").arg(way).arg(slot);
                QString caption;
                QRect frame;
                bool trackerOff = false;
                OnModal notes("NotesForm", [&](QWidget* window) {
                    caption = window->windowTitle();
                    frame = window->frameGeometry();
                    trackerOff = g.pages->Mouser()->Mode() == MouseEnterTracker::Off;
                    auto* note = window->findChild<QPlainTextEdit*>("Note");
                    note->setPlainText(typed);
                    if (way == QByteArray("Esc"))
                        QTest::keyClick(note, Qt::Key_Escape);
                    else
                        way == QByteArray("OKBtn") ? Click(window, way) : (void)window->close();
                });
                QTest::mouseClick(g.Child(QStringLiteral("UseBtn_%1").arg(slot)), Qt::RightButton);
                QVERIFY(notes.fired && trackerOff);
                QCOMPARE(caption, slot == 5 ? QString(" Notes for Bank & Co") : " Notes for ");
                QVERIFY(frame.topRight() == g.pages->frameGeometry().topRight());
                QCOMPARE(g.File(QStringLiteral("Note%1.txt").arg(slot)),
                         QString(typed).replace("\n", "\r\n").toLatin1());
                QVERIFY(Text(g, "NotesText") == typed &&
                        g.pages->Mouser()->Mode() == MouseEnterTracker::On);
            }
        }
        TestProgram::WriteAll(g.t.LibraryPath("Note2.txt"), "keep \xE9");
        NotesForm notes(g.p, 2, "X", nullptr);
        notes.show();
        QPlainTextEdit* note = notes.Note();
        note->moveCursor(QTextCursor::End);
        // A character the file cannot hold, or too long a note (a line break counts two):
        // refused whole, and said why. What fits is taken, and the notice goes.
        for (const QString& refused :
             {QString::fromUtf8(" and 😀"), QString(NoteMaxLength - 7, 'x') + "\n"}) {
            QApplication::clipboard()->setText(refused);
            note->paste();
            QVERIFY(note->toPlainText() == QString::fromUtf8("keep é") &&
                    notes.Notice()->isVisible());
        }
        QVERIFY(notes.Notice()->text().contains("20000"));
        QApplication::clipboard()->setText(QString::fromUtf8(" ok €"));
        note->paste();
        QVERIFY(notes.Notice()->isHidden());
        // The library folder goes away under the open window: the first Close keeps it open
        // with the text, the second gives up.
        QVERIFY(QDir(g.p.LibraryFolder).removeRecursively());
        notes.OKBtn_Click();
        QVERIFY(notes.isVisible() && notes.Notice()->text().contains("could not be saved") &&
                note->toPlainText() == QString::fromUtf8("keep é ok €"));
        notes.OKBtn_Click();
        QVERIFY(!notes.isVisible() && !notes.Saved());
    }

    void aSmallMoveIsAClickTheButtonsChooseCopyOrMoveAndLibrariesAreNamedInPlace() {
        Drags f;
        // 1 pixel (15 twips) each way: still a click, which opens the entry.
        f.Send(f.Name(3), QEvent::MouseButtonPress, f.Name(3));
        f.Send(f.Name(3), QEvent::MouseMove, f.Name(3), {1, 1}, Qt::NoButton);
        QVERIFY(!f.TrashShown());
        f.Send(f.Name(3), QEvent::MouseButtonRelease, f.Name(3), {1, 1}, Qt::LeftButton, {});
        QCOMPARE(f.p.settings.LastSlot, qint16(3));
        f.shell->ShowMainWindow();
        // 2 pixels: a drag; the trash covers the help panel and stays after the drop, which
        // opens nothing, until the mouse moves over a name with no button.
        f.p.settings.LastSlot = 0;
        f.Send(f.Name(4), QEvent::MouseButtonPress, f.Name(4));
        f.Send(f.Name(4), QEvent::MouseMove, f.Name(4), {0, 2}, Qt::NoButton);
        const bool dragging = f.TrashShown();
        f.Send(f.Name(4), QEvent::MouseButtonRelease, f.Name(4), {0, 2}, Qt::LeftButton, {});
        QVERIFY(dragging && f.TrashShown());
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

        // An unnamed library cannot be dragged. Passing over other buttons while a library
        // is dragged switches nothing; the right button copies, and the dropped-on button
        // is current.
        f.Send(f.Name(9), QEvent::MouseMove, f.Name(9), {}, Qt::NoButton, {});
        f.Drag(f.Library(9), {f.Library(10)});
        QVERIFY(!f.TrashShown());
        f.Drag(f.Library(0), {f.Library(5), f.Library(6), f.Library(7)}, Qt::RightButton);
        QCOMPARE(f.LibRecord(7) + f.LibRecord(0), QByteArray("Work         Work         "));
        QVERIFY(f.p.settings.Library == 7 && Entry(f.Lib(7), 31) == Entry(f.Lib(0), 31));
        // The trash erases a library; then library 0 is current (1 when 0 was erased).
        f.Drag(f.Library(7), {f.Child("Trashlabel")});
        QVERIFY(!QFileInfo::exists(f.Lib(7)) && f.LibRecord(7) == QByteArray(13, ' '));
        QCOMPARE(f.p.settings.Library, qint16(0));
        f.Drag(f.Library(0), {f.Child("Trashlabel")});
        QCOMPARE(f.p.settings.Library, qint16(1));

        // Naming a library in place: a right click switches to the library, then opens the editor
        // on its name, whose keys are the window's now: Esc neither cancels nor minimises; 13
        // characters fit; Enter stores and opens no entry.
        f.pages->activateWindow(); // for the editor's focus-out
        QVERIFY(QTest::qWaitForWindowActive(f.pages.get()));
        QTest::mouseClick(f.Library(1), Qt::RightButton);
        auto* editor = f.Child<QLineEdit>("LibNames");
        QVERIFY(f.p.settings.Library == 1 && editor->isVisible() && !f.Library(1)->isVisible());
        QCOMPARE(editor->selectedText(), QString("Home"));
        QTest::keyClicks(editor, "Banking and more");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible() && !f.pages->isMinimized());
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.LibRecord(1), "Banking and m");
        QVERIFY(!editor->isVisible() && f.Library(1)->isVisible() && f.p.settings.LastSlot == 0);
        // A click elsewhere stores too; a character the file cannot hold is refused; an
        // empty name unnames the library.
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        editor->clear();
        for (const char* typed : {"T", "\u20ac", "\U0001F600", "s"}) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8(typed));
            QApplication::sendEvent(editor, &key);
        }
        f.Send(f.Name(10), QEvent::MouseButtonPress, f.Name(10));
        QCOMPARE(f.LibRecord(6), "T\x80s          ");
        QTest::mouseClick(f.Library(6), Qt::RightButton);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(f.LibRecord(6) == QByteArray(13, ' ') && f.failures == 0);
    }

    void firstRunCentresLaterRunsOpenTheirLibraryMinimisedASmallScreenOnlySaysSo() {
        {
            // A screen too small: only the notice, and nothing written.
            TestProgram small;
            Startup tooSmall(small.program);
            OnModal notice("ScreenResForm", [](QWidget* w) { Click(w, "Command1"); });
            QVERIFY(!tooSmall.InitializeProgram(ScreenInfo{QRect(0, 0, 320, 240), 15.0}));
            QVERIFY(notice.fired && !tooSmall.pages()->isVisible() &&
                    !QFileInfo::exists(small.Path("Libnames.dat")));
        }
        TestProgram t;
        QTemporaryDir runtime;
        {
            Startup startup(t.program, runtime.path());
            QVERIFY(startup.InitializeProgram(ScreenInfo{QRect(0, 0, 1280, 1024), 15.0}));
            QVERIFY(startup.pages()->isVisible() && !startup.pages()->isMinimized());
            // Centred by the window's real width.
            QVERIFY(qAbs(2 * t.program.settings.MainLeft -
                         (1280 - startup.pages()->width()) * 15) <= 1);
        }
        // A second start does not bring the window back while start-up is under way.
        t.program.settings.Library = 3;
        t.program.settings.MinimizeToTray = 1;
        QVERIFY(SaveSettings(t.program));
        Startup startup(t.program, runtime.path());
        QVERIFY(!startup.ActivatePreviousInstance());
        startup.ShowMainWindow();
        QVERIFY(!startup.pages()->isVisible());
        QVERIFY(startup.InitializeProgram(ScreenInfo{QRect(0, 0, 1280, 1024), 15.0}));
        QVERIFY(t.program.LibraryFolder == t.Path("Lib4/") && t.fakes.tray.visible);

        // No insertion window for the main window's first paint; made once, at its stored
        // place; the tick keeps it on top and stores its moves.
        const auto made = [] {
            QList<DoIt*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                found << qobject_cast<DoIt*>(w);
            return found.removeAll(nullptr), found;
        };
        QVERIFY(made().isEmpty());
        ShellOf(t.program).FillInsertionWindow(ClipArray{"alice"}, HideArray{});
        ShellOf(t.program).ShowInsertionWindow();
        ShellOf(t.program).FillInsertionWindow(ClipArray{"bob"}, HideArray{});
        DoIt* doIt = made().value(0);
        QVERIFY(made().size() == 1 &&
                doIt->findChild<QWidget*>("Names_0")->property("text") == "bob");
        const Settings& s = t.program.settings;
        QCOMPARE(doIt->pos(), QPoint(qRound(s.InsertLeft / 15.0), qRound(s.InsertTop / 15.0)));
        startup.pages()->Timer1_Timer();
        QVERIFY(t.fakes.windows.keptOnTop.contains(WindowId(doIt->winId())));
        doIt->move(610, 55);
        startup.pages()->Timer1_Timer();
        const Settings saved = DecodeSettings(TestProgram::ReadAll(t.Path("Kelpo.ini")));
        QCOMPARE(QPoint(saved.InsertLeft, saved.InsertTop), QPoint(610 * 15, 55 * 15));
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
