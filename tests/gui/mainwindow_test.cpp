// The main window with the fake platform: what it shows from the files, clicks and keys on
// it, its Tab chain, the notes and quick-help panels under the pointer, the Notes window,
// a tray that turns up late and the Options window.
#include "Gui.h"
#include "entries/NoteFile.h"
#include "mainwindow/AboutForm.h"
#include "mainwindow/NotesForm.h"
#include "mainwindow/Options.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MouseEnterTracker.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
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
        for (auto [slot, name, color] : {std::tuple(3, "Bob", 0x000000FFu), // red
                                         std::tuple(46, "bill", 0x00FFFFFFu),
                                         std::tuple(49, "last one", 0u)}) // 0 reads white
            QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, slot, name, color));
        g.Start();
        auto name = [&](int slot) { return g.pages->NameLabel(slot); };
        QCOMPARE(Back(name(3)), QColor(255, 0, 0));
        QCOMPARE(Back(name(49)), QColor(Qt::white));
        // Captions as stored: an ampersand is shown, not turned into a shortcut.
        QCOMPARE(g.Child<QPushButton>("LibraryBtn_0")->text().replace("&&", "&"),
                 QString("B&Q shopping!"));
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
        QTest::mousePress(name(49), Qt::LeftButton);
        QTest::mouseRelease(name(49), Qt::LeftButton, {}, QPoint(-20, 5));
        QCOMPARE(g.p.settings.LastSlot, qint16(46));
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            g.p.settings.LastSlot = 0;
            QTest::mouseClick(name(49), button);
            QCOMPARE(g.p.settings.LastSlot, qint16(49));
        }
        // A library button switches on the press, right button too, stores the choice and
        // shows that folder; one never visited gets a names file of defaults; made-up
        // indexes are refused.
        QTest::mousePress(g.Child("LibraryBtn_4"), Qt::RightButton);
        QCOMPARE(g.Saved().Library, qint16(4));
        QCOMPARE(name(2)->property("text").toString(), QString("Fifth"));
        g.pages->LibraryBtn_MouseDown(18, 1, 0, 0, 0);
        QCOMPARE(QFileInfo(g.t.Path("Lib19/Names.dat")).size(), qint64(1734));
        g.pages->LibraryBtn_MouseDown(19, 1, 0, 0, 0);
        g.pages->LibraryBtn_MouseDown(-1, 1, 0, 0, 0);
        QCOMPARE(g.Saved().Library, qint16(18));
    }

    void longNamesEndInAnEllipsisShowWholeAsTooltipAndMakeRoomForTheMark() {
        Gui g;
        const QString whole = "Westminster Building Society 1"; // 30, the most a name holds
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 3, whole, 0x00FFFFFF));
        QVERIFY(WriteNameRecord(g.p, g.p.LibraryFolder, 4, "Bob", 0x00FFFFFF));
        g.Start();
        g.p.LibraryNames[1] = "MMMMMMMMMMMMM"; // 13, the most a library name holds
        g.pages->RefreshLibraryNames();
        auto tip = [](QWidget* widget) {
            QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(widget, &help);
            return QToolTip::text();
        };
        auto* library = g.Child<QPushButton>("LibraryBtn_1");
        auto* label = qobject_cast<ElidedLabel*>(g.pages->NameLabel(3));
        QVERIFY(library->text().endsWith(QChar(0x2026)) && label->ShownText().endsWith(QChar(0x2026)));
        QCOMPARE(tip(library) + "|" + tip(label) + "|" + tip(g.pages->NameLabel(4)) + "|" +
                     tip(g.Child("LibraryBtn_0")),
                 "MMMMMMMMMMMMM|" + whole + "||"); // a name that fits has none
        // The mark beside the clicked name lies over its right end: the name ends before it,
        // and gets its whole room back once a library switch takes the mark away.
        const int wholeRoom = label->ShownTextRight();
        g.pages->Pagenames_MouseUp(3, 2, 0, 0, 0);
        auto* pointer = g.Child("Pointer");
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
        g.Start();
        // Each control its help; only names change the notes.
        const QList<std::pair<const char*, const char*>> titles = {
            {"Pagenames_3", "Name"}, {"UseBtn_7", "Website Editor"},
            {"LibraryBtn_18", "Libraries"}, {"Trashlabel", "Kelpo Quick Help"}};
        for (const auto& [control, title] : titles) {
            Enter(g.Child(control));
            QCOMPARE(Text(g, "HelpLabel_0"), QString(title));
            QCOMPARE(Text(g, "NotesText"), QString("PIN hint\nsecond line"));
        }
        // A named slot gets the usage hint, an empty one the set-up hint.
        Enter(g.Child("Pagenames_3"));
        QVERIFY(Text(g, "HelpLabel_1").startsWith("Click to go to bookmark"));
        Enter(g.Child("Pagenames_4"));
        QVERIFY(Text(g, "HelpLabel_1").startsWith("Shows the name of the bookmark"));
        // Quick help off keeps the help panel still, but not the notes; back on, the next
        // enter shows its help.
        g.p.settings.QuickHelpOff = 1;
        g.pages->ApplyQuickHelpState();
        Enter(g.Child("Pagenames_3"));
        Enter(g.Child("OptionBtn"));
        QCOMPARE(Text(g, "NotesText"), QString("PIN hint\nsecond line"));
        QCOMPARE(Text(g, "HelpLabel_0") + Text(g, "HelpLabel_1"),
                 QString("Quick Help can be turned on from the Options dialog."));
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
        // Beside the main window's top right, captioned with the entry's name (none for an
        // empty slot); Esc, the close box and Close all save; the pointer crossing the main
        // window meanwhile reports nothing.
        for (const char* way : {"Esc", "close box", "OKBtn"}) {
            for (int slot : {5, 6}) {
                QString caption;
                QRect frame;
                bool trackerOff = false;
                OnModal notes("NotesForm", [&](QWidget* window) {
                    caption = window->windowTitle();
                    frame = window->frameGeometry();
                    trackerOff = g.pages->Mouser()->Mode() == MouseEnterTracker::Off;
                    auto* note = window->findChild<QPlainTextEdit*>("Note");
                    note->setPlainText(QString("by %1\n%2").arg(way).arg(slot));
                    if (way == QByteArray("Esc"))
                        QTest::keyClick(note, Qt::Key_Escape);
                    else if (way == QByteArray("OKBtn"))
                        Click(window, way);
                    else
                        window->close();
                });
                QTest::mouseClick(g.Child(QStringLiteral("UseBtn_%1").arg(slot)), Qt::RightButton);
                QVERIFY(notes.fired && trackerOff);
                QCOMPARE(caption, slot == 5 ? QString(" Notes for Bank & Co") : " Notes for ");
                QCOMPARE(frame.topRight(), g.pages->frameGeometry().topRight());
                QCOMPARE(TestProgram::ReadAll(NotePath(g, slot)),
                         QString("by %1\r\n%2").arg(way).arg(slot).toLatin1());
                QCOMPARE(Text(g, "NotesText"), QString("by %1\n%2").arg(way).arg(slot));
                QCOMPARE(g.pages->Mouser()->Mode(), int(MouseEnterTracker::On));
            }
        }
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

    void aTrayThatTurnsUpTakesTheWindowWaitingOnTheTaskBar() {
        Gui g;
        g.Start();
        g.t.fakes.tray.available = false;
        g.p.settings.MinimizeToTray = 1;
        g.pages->Minimize();
        QVERIFY(g.pages->isMinimized() && !g.t.fakes.tray.visible);
        g.t.fakes.tray.available = true;
        g.t.fakes.tray.onAvailable();
        QVERIFY(!g.pages->isVisible() && g.t.fakes.tray.visible);
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
            // The two pairs are separate groups.
            QTest::mousePress(radio("MinimizeOption_0"), Qt::LeftButton);
            afterMinimize = g.Saved();
            Click(w, "CloseBtn");
        });
        QTest::mouseClick(g.Child("OptionBtn"), Qt::LeftButton);
        QVERIFY(on.fired && !boxShown);
        QCOMPARE(afterHelp.QuickHelpOff, qint16(0));
        QCOMPARE(afterMinimize.MinimizeToTray, qint16(0));
        QCOMPARE(afterMinimize.QuickHelpOff, qint16(0));
    }

};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
