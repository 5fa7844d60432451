// The main window with the fake platform: what it shows from the files, clicks and keys on
// it, its Tab chain, the notes and quick-help panels under the pointer, the Notes window,
// the one-second tick, the tray and the Options window; and the mouse-enter tracker itself.
#include "Gui.h"
#include "entries/NoteFile.h"
#include "mainwindow/AboutForm.h"
#include "mainwindow/NotesForm.h"
#include "mainwindow/Options.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MouseEnterTracker.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolTip>

using namespace kelpo;

namespace {

QColor Back(QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}
QString Text(Gui& g, const QString& label) {
    return g.Child<QLabel>(label)->text();
}
QString NotePath(Gui& g, int slot) {
    return g.t.LibraryPath(QStringLiteral("Note%1.txt").arg(slot));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheFilesAndClicksKeysAndLibrariesWork() {
        Gui g;
        TestProgram::WriteAll(g.t.Path("Libnames.dat"),
                              QByteArray("B&Q shopping!").leftJustified(19 * 13, ' '));
        QVERIFY(WriteNameRecord(g.p, g.t.Path("Lib5/"), 2, "Fifth", 0x0000FF00));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bob", 0x000000FF)); // red
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 46, "bill", 0x00FFFFFF));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 49, "last one", 0));
        g.Start();
        auto name = [&](int slot) { return g.pages->NameLabel(slot); };
        auto library = [&](int k) {
            return g.Child<QPushButton>(QStringLiteral("LibraryBtn_%1").arg(k));
        };
        QCOMPARE(Back(name(3)), QColor(255, 0, 0));
        QCOMPARE(Back(name(49)), QColor(Qt::white)); // colour 0 reads white
        // Captions as stored: an ampersand is shown, not turned into a shortcut.
        QCOMPARE(library(0)->text().replace("&&", "&"), QString("B&Q shopping!"));

        // First-letter search highlights, Shift+letter goes back, Enter opens.
        QTest::keyClick(g.pages.get(), Qt::Key_B);
        QCOMPARE(Back(name(3)), QApplication::palette().color(QPalette::Highlight));
        QTest::keyClick(g.pages.get(), Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(Back(name(3)), QColor(255, 0, 0));
        QTest::keyClick(g.pages.get(), Qt::Key_Return);
        QCOMPARE(g.p.settings.LastSlot, qint16(46));

        // An empty slot clears the clips, so no old clip can be typed; a release away from
        // a name is no click; left and right clicks open it.
        g.p.CurrentClips[0] = "left over";
        QTest::mouseClick(name(5), Qt::LeftButton);
        QCOMPARE(g.p.CurrentClips[0], QString());
        g.p.settings.LastSlot = 0;
        QTest::mousePress(name(49), Qt::LeftButton);
        QTest::mouseRelease(name(49), Qt::LeftButton, {}, QPoint(-20, 5));
        QCOMPARE(g.p.settings.LastSlot, qint16(0));
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            g.p.settings.LastSlot = 0;
            QTest::mouseClick(name(49), button);
            QCOMPARE(g.p.settings.LastSlot, qint16(49));
        }

        // A library button switches on the press, right button too, stores the choice and
        // shows that folder; a library never visited gets a names file of defaults; made-up
        // indexes are refused.
        QTest::mousePress(library(4), Qt::RightButton);
        QCOMPARE(g.Saved().Library, qint16(4));
        QCOMPARE(name(2)->property("text").toString(), QString("Fifth"));
        g.pages->LibraryBtn_MouseDown(18, 1, 0, 0, 0);
        QCOMPARE(QFileInfo(g.t.Path("Lib19/Names.dat")).size(), qint64(1734));
        g.pages->LibraryBtn_MouseDown(19, 1, 0, 0, 0);
        g.pages->LibraryBtn_MouseDown(-1, 1, 0, 0, 0);
        QCOMPARE(g.Saved().Library, qint16(18));
        // While a library is being named, keys belong to its editor.
        g.pages->LibraryBtn_MouseUp(0, 2, 0, 0, 0);
        g.pages->Form_KeyPress('b');
        QCOMPARE(g.pages->SearchSlot(), -1);
    }

    void longNamesEndInAnEllipsisShowWholeAsTooltipAndMakeRoomForTheMark() {
        Gui g;
        const QString whole = "Westminster Building Society 1"; // 30, the most a name holds
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, whole, 0x00FFFFFF));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 4, "Bob", 0x00FFFFFF));
        g.Start();
        g.p.LibraryNames[1] = "MMMMMMMMMMMMM"; // 13, the most a library name holds
        g.pages->RefreshLibraryNames();
        auto* library = g.Child<QPushButton>("LibraryBtn_1");
        QVERIFY(library->text().endsWith(QChar(0x2026)));
        QCOMPARE(library->toolTip(), g.p.LibraryNames[1]);
        QCOMPARE(g.Child<QPushButton>("LibraryBtn_0")->toolTip(), QString());
        auto tip = [](QWidget* widget) {
            QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::text();
        };
        auto* label = qobject_cast<ElidedLabel*>(g.pages->NameLabel(3));
        QCOMPARE(tip(g.pages->NameLabel(4)), QString()); // a name that fits has none
        QCOMPARE(label->text(), whole);
        QVERIFY(label->ShownText().endsWith(QChar(0x2026)));
        QCOMPARE(tip(label), whole);
        // The mark beside the clicked name lies over its right end: the name ends before it,
        // and gets its whole room back once a library switch takes the mark away.
        const int wholeRoom = label->ShownTextRight();
        g.pages->Pagenames_MouseUp(3, 2, 0, 0, 0);
        auto* pointer = g.Child<QLabel>("Pointer");
        QVERIFY(pointer->isVisible());
        QVERIFY(label->mapTo(g.pages.get(), QPoint(label->ShownTextRight(), 0)).x() <=
                pointer->x());
        g.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        QCOMPARE(label->ShownTextRight(), wholeRoom);
    }

    void everyStopOfTheTabChainsIsSeenAndTheKeysStillWork() {
        Gui g;
        g.p.settings.QuickHelpOff = 1; // the Minimize box shows
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bob", 0x00FFFFFF));
        g.Start();
        QStringList expected;
        for (int i = 0; i < VisibleSlotCount; ++i)
            expected << QStringLiteral("UseBtn_%1").arg(i);
        for (int k = 0; k < LibraryCount; ++k)
            expected << QStringLiteral("LibraryBtn_%1").arg(k);
        expected << "MinimizeBtn" << "OptionBtn" << "UpgradeBtn" << "Command1";
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
        QCOMPARE(g.Saved().Library, qint16(2));
        QCOMPARE(QApplication::focusWidget(), library);
        g.pages->LibraryBtn_MouseDown(0, 1, 0, 0, 0);
        QTest::keyClick(library, Qt::Key_B);
        QCOMPARE(g.pages->SearchSlot(), 3);
        QTest::keyClick(library, Qt::Key_Return);
        QCOMPARE(g.p.settings.LastSlot, qint16(3));
        QTest::keyClick(library, Qt::Key_Escape);
        QVERIFY(g.pages->isMinimized());
    }

    void optionsAndAboutHaveNoInvisibleTabStops() {
        Gui g;
        g.Start();
        Options options(g.p, g.pages.get());
        options.show();
        QCOMPARE(TabChain(&options, options.findChild<QWidget*>("CloseBtn")).join(' '),
                 QString("HelpOption_0 MinimizeOption_0 CloseBtn"));
        options.close();
        AboutForm about(g.p, g.pages.get());
        about.show();
        QCOMPARE(TabChain(&about, about.findChild<QWidget*>("OKButton")).join(' '),
                 QString("OKButton"));

    }

    void panelsShowTheNotesAndTheHelpOfTheControlUnderThePointer() {
        Gui g;
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, "Bank", 0x00FFFFFF));
        TestProgram::WriteAll(NotePath(g, 3), "PIN hint\r\nsecond line");
        TestProgram::WriteAll(NotePath(g, 4), "   ");
        g.Start();
        // Other controls than names leave the notes alone.
        const QList<std::pair<const char*, const char*>> titles = {
            {"Pagenames_3", "Name"},       {"UseBtn_7", "Website Editor"},
            {"LibraryBtn_18", "Libraries"}, {"UpgradeBtn", "Kelpo Free Upgrades"},
            {"Trashlabel", "Kelpo Quick Help"}};
        for (const auto& [control, title] : titles) {
            Enter(g.Child(control));
            QCOMPARE(Text(g, "HelpLabel_0"), QString(title));
            QCOMPARE(Text(g, "NotesText"), QString("PIN hint\nsecond line"));
        }
        // A blank note is shown once, then its file is gone; an empty slot gets the set-up
        // hint, a named one the usage hint.
        Enter(g.Child("Pagenames_4"));
        QCOMPARE(Text(g, "NotesText"), QString("   "));
        QVERIFY(!QFileInfo::exists(NotePath(g, 4)));
        QVERIFY(Text(g, "HelpLabel_1").startsWith("Shows the name of the bookmark/Clip set\n\n"));
        Enter(g.Child("Pagenames_3"));
        QVERIFY(Text(g, "HelpLabel_1").startsWith("Click to go to bookmark"));

        // Quick help off keeps the help panel still, but not the notes; back on, the next
        // enter shows its help.
        const QString offTitle = "Quick Help can be turned on from the Options dialog.";
        g.p.settings.QuickHelpOff = 1;
        g.pages->ApplyQuickHelpState();
        Enter(g.Child("Pagenames_4"));
        Enter(g.Child("OptionBtn"));
        QCOMPARE(Text(g, "NotesText"), QString());
        QCOMPARE(Text(g, "HelpLabel_0") + Text(g, "HelpLabel_1"), offTitle);
        g.p.settings.QuickHelpOff = 0;
        g.pages->ApplyQuickHelpState();
        Enter(g.Child("Command1"));
        QCOMPARE(Text(g, "HelpLabel_1"), QString("Overview.\nHow To.\nExamples.\n"));
    }

    void helpTitlesOfTwoLinesPushTheRestDown() {
        Gui g;
        g.Start();
        auto* title = g.Child<QLabel>("HelpLabel_0");
        auto* text = g.Child<QLabel>("HelpLabel_1");
        auto* minimize = g.Child("MinimizeBtn");
        const int line = title->fontMetrics().lineSpacing();
        Enter(g.Child("UseBtn_0"));
        const int oneLineTop = text->y();
        QVERIFY(title->height() < 2 * line);
        // Any title that wraps, laid out afresh as a quick-help change does.
        title->setText(QString("Wrapped title ").repeated(8));
        g.pages->ApplyQuickHelpState();
        QVERIFY(title->height() >= 2 * line);
        QVERIFY(text->y() >= title->geometry().bottom() + line / 2);
        QVERIFY(text->y() > oneLineTop);
        QVERIFY(text->geometry().bottom() <= g.Child("HelpFrame")->height());
        // Quick help off: no text, and the Minimize box sits below the title, in the panel.
        g.p.settings.QuickHelpOff = 1;
        g.pages->ApplyQuickHelpState();
        QVERIFY(minimize->isVisible());
        QVERIFY(minimize->y() > title->geometry().bottom());
        QVERIFY(minimize->geometry().bottom() <= g.Child("HelpFrame")->height());
    }

    void notesWindowSavesHoweverItClosesWithTheTrackerOffMeanwhile() {
        Gui g;
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 5, "Bank & Co", 0x00FFFFFF));
        g.Start();
        QString caption;
        QRect frame;
        bool trackerOff = false;
        // Typed text, then Esc: saved with CR LF, shown in the panel; the window stands at
        // the main window's top right; the pointer crossing the main window reports nothing.
        OnModal typing("NotesForm", [&](QWidget* window) {
            caption = window->windowTitle();
            frame = window->frameGeometry();
            trackerOff = g.pages->Mouser()->Mode() == MouseEnterTracker::Off;
            auto* note = window->findChild<QPlainTextEdit*>("Note");
            QTest::keyClicks(note, "first");
            QTest::keyClick(note, Qt::Key_Return);
            QTest::keyClicks(note, "second");
            QTest::keyClick(note, Qt::Key_Escape);
        });
        QTest::mouseClick(g.Child("UseBtn_5"), Qt::RightButton);
        QVERIFY(typing.fired && trackerOff);
        QCOMPARE(caption, QString(" Notes for Bank & Co"));
        QCOMPARE(frame.topRight(), g.pages->frameGeometry().topRight());
        QCOMPARE(TestProgram::ReadAll(NotePath(g, 5)), QByteArray("first\r\nsecond"));
        QCOMPARE(Text(g, "NotesText"), QString("first\nsecond"));
        QCOMPARE(g.pages->Mouser()->Mode(), int(MouseEnterTracker::On));

        // The close box on an empty slot: no name in the caption, an empty file saved, which
        // the next look at that slot removes. "Close" saves what was there again.
        OnModal closing("NotesForm", [&](QWidget* window) {
            caption = window->windowTitle();
            window->close();
        });
        QTest::mouseClick(g.Child("UseBtn_6"), Qt::RightButton);
        QCOMPARE(caption, QString(" Notes for "));
        QCOMPARE(QFileInfo(NotePath(g, 6)).size(), 0);
        Enter(g.Child("Pagenames_6"));
        QVERIFY(!QFileInfo::exists(NotePath(g, 6)));
        OnModal close("NotesForm", [](QWidget* window) {
            window->findChild<QPlainTextEdit*>("Note")->setPlainText("closed");
            Click(window, "OKBtn");
        });
        QTest::mouseClick(g.Child("UseBtn_5"), Qt::RightButton);
        QVERIFY(close.fired);
        QCOMPARE(TestProgram::ReadAll(NotePath(g, 5)), QByteArray("closed"));
    }

    void notesRefuseWhatTheFileCannotHoldAndKeepWhatCouldNotBeSaved() {
        Gui g;
        TestProgram::WriteAll(NotePath(g, 2), "keep \xE9");
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
            QCOMPARE(note->toPlainText(), QString::fromUtf8("keep é"));
            QVERIFY(notes.Notice()->isVisible());
        }
        QVERIFY(notes.Notice()->text().contains("20000"));
        QApplication::clipboard()->setText(QString::fromUtf8(" ok €"));
        note->paste();
        QVERIFY(notes.Notice()->isHidden());
        // The library folder goes away under the open window: the first Close keeps it open
        // with the text, the second gives up.
        QVERIFY(QDir(g.p.LibraryFolder).removeRecursively());
        notes.OKBtn_Click();
        QVERIFY(notes.isVisible() && notes.Notice()->text().contains("could not be saved"));
        QCOMPARE(note->toPlainText(), QString::fromUtf8("keep é ok €"));
        notes.OKBtn_Click();
        QVERIFY(!notes.isVisible() && !notes.Saved());
    }

    void tickKeepsTheInsertionWindowOnTopAndStoresItsMoves() {
        Gui g;
        g.Start();
        g.pages->Timer1_Timer(); // the main window unmoved, the insertion window hidden
        QVERIFY(!QFileInfo::exists(g.t.Path("Kelpo.ini")) && g.t.fakes.windows.keptOnTop.isEmpty());
        g.doIt->move(610, 55);
        g.doIt->show();
        g.pages->Timer1_Timer();
        QCOMPARE(g.t.fakes.windows.keptOnTop, QList<WindowId>{g.doIt->winId()});
        QCOMPARE(g.Saved().InsertTop, 55 * 15);
        QCOMPARE(g.Saved().InsertLeft, 610 * 15);
    }

    void trayMenuAndWaitingForATray() {
        Gui g;
        g.Start();
        g.p.settings.MinimizeToTray = 1;
        FakeTrayIcon& tray = g.t.fakes.tray;
        g.pages->Minimize();
        QVERIFY(!g.pages->isVisible() && tray.visible);
        tray.onRightClick();
        QMenu* menu = g.pages->PopupMenu();
        QVERIFY(menu->isVisible());
        menu->actions()[1]->trigger(); // Cancel leaves everything as it was
        QVERIFY(!menu->isVisible() && tray.visible && !g.pages->isVisible() && !g.p.CloseRequested);
        // No tray: the task bar; a tray that turns up takes the waiting window, unless the
        // task bar was chosen.
        tray.onLeftClick();
        tray.available = false;
        g.pages->Minimize();
        QVERIFY(g.pages->isMinimized() && !tray.visible);
        tray.available = true;
        tray.onAvailable();
        QVERIFY(!g.pages->isVisible() && tray.visible);
        tray.onLeftClick();
        g.p.settings.MinimizeToTray = 0;
        g.pages->Minimize();
        tray.onAvailable();
        QVERIFY(g.pages->isVisible() && g.pages->isMinimized() && !tray.visible);
    }

    void optionsSaveEachChoiceAtOnce() {
        Gui g;
        g.p.settings.QuickHelpOff = 1;
        g.p.settings.MinimizeToTray = 1;
        g.Start();
        Settings afterHelp, afterMinimize;
        bool boxShown = true;
        OnModal on("Options", [&](QWidget* w) {
            auto radio = [&](const char* name) { return w->findChild<QRadioButton*>(name); };
            // Quick help on, with a right press: saved at once, and the Minimize box goes.
            QTest::mousePress(radio("HelpOption_0"), Qt::RightButton);
            afterHelp = g.Saved();
            boxShown = g.Child("MinimizeBtn")->isVisible();
            // The two pairs are separate groups; the keyboard chooses too.
            radio("MinimizeOption_0")->setFocus();
            QTest::keyClick(radio("MinimizeOption_0"), Qt::Key_Space);
            afterMinimize = g.Saved();
            Click(w, "CloseBtn");
        });
        QTest::mouseClick(g.Child("OptionBtn"), Qt::LeftButton);
        QVERIFY(on.fired && !boxShown);
        QCOMPARE(afterHelp.QuickHelpOff, qint16(0));
        QCOMPARE(afterMinimize.MinimizeToTray, qint16(0));
        QCOMPARE(afterMinimize.QuickHelpOff, qint16(0));
    }

    void closeRequestedEndsEveryEventLoopAtTheNextTick() {
        Gui g;
        g.Start();
        QEventLoop loop;
        QTimer::singleShot(0, this, [&] {
            g.pages->MnuClose_Click();
            g.pages->Timer1_Timer();
        });
        QCOMPARE(loop.exec(), 0);
    }

    void trackerReportsEachControlEnteredAsItsArrayMember() {
        QWidget window;
        window.setObjectName("Edit");
        auto make = [&](QWidget* w, QWidget* parent, const char* name) {
            w->setParent(parent);
            w->setObjectName(name);
            return w;
        };
        QWidget* name3 = make(new QLabel, &window, "Pagenames_3");
        QWidget* name4 = make(new QLabel, &window, "Pagenames_4");
        QWidget* frame = make(new QFrame, &window, "LibraryFrame");
        QWidget* library2 = make(new QPushButton, frame, "LibraryBtn_2");
        QWidget* library3 = make(new QPushButton, frame, "LibraryBtn_3");
        auto* repeater = static_cast<QComboBox*>(make(new QComboBox, &window, "Repeater"));
        repeater->setEditable(true); // holds a line edit of Qt's own
        auto* tracker = new MouseEnterTracker(&window);
        QSignalSpy spy(tracker, &MouseEnterTracker::MouseEnter);
        const auto leave = [](QWidget* w) {
            QEvent event(QEvent::Leave);
            QApplication::sendEvent(w, &event);
        };
        const auto reports = [&] {
            QCoreApplication::processEvents();
            QStringList seen;
            for (const QList<QVariant>& args : spy)
                seen << args.at(0).toString() + ":" + args.at(1).toString();
            spy.clear();
            return seen.join(' ');
        };
        // Back in the same control after the background: news again. From a button straight
        // to its neighbour: only the neighbour, not the frame between; leaving for the frame
        // reports the frame. Qt's own inner widgets count as their control.
        Enter(name3);
        leave(name3);
        Enter(name4);
        leave(name4);
        QCoreApplication::processEvents();
        Enter(name4);
        leave(name4);
        Enter(library2);
        leave(library2);
        Enter(library3);
        leave(library3);
        QCOMPARE(reports(), QString("Edit:Pagenames(3) Edit:Pagenames(4) Edit:Pagenames(4) "
                                    "Edit:LibraryBtn(2) Edit:LibraryBtn(3) Edit:LibraryFrame"));
        Enter(repeater);
        Enter(repeater->lineEdit());
        QCOMPARE(reports(), QString("Edit:Repeater"));
        // Off (any mode but On) reports nothing, and a control made later is watched too.
        tracker->SetMode(MouseEnterTracker::Off);
        Enter(name3);
        tracker->SetMode(1);
        Enter(name4);
        QCOMPARE(reports(), QString());
        tracker->SetMode(MouseEnterTracker::On);
        Enter(make(new QLabel, frame, "HideOption_39"));
        QCOMPARE(reports(), QString("Edit:HideOption(39)"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
