// The Website Editor offscreen with the fake platform: opening it behind the password
// prompt, what Save and Cancel write (refused characters and a Save that cannot write
// included), the clip rows' keys, scrolling and dragging, the quick help and Test.
#include "Gui.h"
#include "editor/Edit.h"
#include "entries/PageFiles.h"
#include "insertion/GetPassword.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace kelpo;

namespace {

constexpr int FromInsertion = -1; // the insertion window's Edit button, on the entry in use

// Runs `act` in the editor that the Edit button of `slot` brings up.
void InEditor(Gui& g, int slot, const std::function<void(Edit*)>& act) {
    OnModal on("Edit", [&](QWidget* w) {
        QVERIFY(QTest::qWaitForWindowActive(w));
        act(static_cast<Edit*>(w));
        if (w->isVisible()) // a check that failed half-way must not leave the test waiting
            static_cast<Edit*>(w)->reject();
    });
    slot == FromInsertion ? g.doIt->EditBtn_MouseUp() : g.pages->UseBtn_MouseUp(slot, 1, 0, 0, 0);
    QVERIFY(on.fired);
}

} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void opensBehindItsPasswordPromptWithTheEntryLoadedAndItsQuickHelp() {
        Gui g;
        g.Start();
        g.Entry(30, "Locked", "https://example.com/", "Sesame", {"me", "{Tab}"}, 0x00C0FFC0,
                HideArray{0, 1});
        // Slot 30 stands in the second column: the prompt is 2700 twips right of the main
        // window's left edge. Giving it up opens no editor.
        QPoint promptAt;
        OnModal prompt("GetPassword", [&](QWidget* w) {
            promptAt = w->pos();
            static_cast<GetPassword*>(w)->CancelBtn_Click();
        });
        g.pages->UseBtn_MouseUp(30, 1, 0, 0, 0);
        QVERIFY(prompt.fired);
        QCOMPARE(promptAt.x(),
                 g.pages->frameGeometry().left() + TwipsToPixels(2700, g.pages.get()));
        QVERIFY(g.p.CurrentPassword.isEmpty());

        // From the insertion window on the entry in use there is no prompt. The window sits
        // at the main window's place, name field focused, marker on the entry's swatch;
        // Tab goes name, URL, password, first row.
        g.p.CurrentSlot = 30;
        g.p.EditSlot = 2;
        g.pages->hide();
        g.doIt->show();
        g.p.CurrentRow = 7;
        InEditor(g, FromInsertion, [&](Edit* e) {
            QVERIFY(g.p.EditSlot == 30 && e->pos() == g.pages->pos());
            QCOMPARE(e->Title()->text() + e->WebPageTitle()->text() + e->PasswordTitle()->text() +
                         e->Data(0)->text() + e->Data(1)->text(),
                     QString("Lockedhttps://example.com/Sesameme{Tab}"));
            QVERIFY(!e->HideOption(0)->isChecked() && e->HideOption(1)->isChecked());
            // The marker on 192,255,192; CurrentRow outlives the window.
            QVERIFY(e->Swatch(24)->geometry() == e->Swatch(12)->geometry() && g.p.CurrentRow == 7);
            for (QWidget* next : QWidgetList{e->WebPageTitle(), e->PasswordTitle(), e->Data(0)}) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            Click(e, "CancelBtn");
        });
        QVERIFY(g.p.TestMode == 0 && g.pages->isVisible() && !g.doIt->isVisible());

        // Quick help: the title follows the pointer; a command index the table does not have
        // leaves the panel as it is.
        const QList<std::pair<const char*, const char*>> cases = {
            {"Names_11", "Command Click"},
            {"Clipboardcolor_24", "Color"}, // the marker, like every swatch
            {"Label1", "Kelpo Quick Help"}, // the name field's label has no row of its own
            {"data_39", "Clips and Command List"}};
        InEditor(g, 3, [&](Edit* e) {
            for (const auto& [control, title] : cases) {
                Enter(e->findChild<QWidget*>(control));
                QCOMPARE(e->HelpLabel(0)->text(), QString(title));
            }
            e->Mouser_MouseEnter("Edit", "Names(13)");
            QCOMPARE(e->HelpLabel(0)->text(), QString("Clips and Command List"));
        });
        // Off when the editor opens: off for the whole opening, whatever the setting does.
        g.p.settings.QuickHelpOff = 1;
        InEditor(g, 3, [&](Edit* e) {
            g.p.settings.QuickHelpOff = 0;
            Enter(e->findChild<QWidget*>("SaveBtn"));
            QCOMPARE(e->HelpLabel(0)->text(),
                     QString("Quick Help can be turned on from the Options dialog."));
        });
    }

    void saveWritesWhatWasTypedAndCancelWritesNothing() {
        Gui g;
        g.Start();
        InEditor(g, 7, [&](Edit* e) {
            QTest::keyClicks(e->Title(), "My Bank");
            QTest::mouseClick(e->Data(0), Qt::LeftButton);
            QTest::keyClicks(e->Data(0), "jane");
            QTest::keyClick(e->Data(0), Qt::Key_Return); // next row, nothing typed
            e->Data(1)->insert(QString::fromUtf8("s€")); // as typed on a keyboard that has it
            QTest::keyClick(e->Data(1), Qt::Key_Down);
            Click(e, "Names_1");  // {Tab} into row 2
            Click(e, "Names_11"); // Click writes {Enter} into row 3
            QTest::mouseClick(e->HideOption(1), Qt::LeftButton);
            QTest::mouseClick(e->Swatch(9), Qt::LeftButton); // 255, 0, 0
            QCOMPARE(e->Swatch(24)->geometry(), e->Swatch(9)->geometry());
            Click(e, "SaveBtn");
        });
        QCOMPARE(ReadClips(g.p.LibraryFolder, 7),
                 (ClipArray{"jane", QString::fromUtf8("s€"), "{Tab}", "{Enter}"}));
        QVERIFY(ReadHidden(g.p.LibraryFolder, 7) == (HideArray{0, 1}) && g.p.SlotColors[7] == 0xFF);
        QVERIFY(g.pages->NameLabel(7)->property("text") == "My Bank" && g.pages->isVisible());

        // Cancel writes nothing, whatever was changed.
        const QByteArray names = g.File("Names.dat"), page = g.File("Page7.dat");
        InEditor(g, 7, [&](Edit* e) {
            QTest::mouseClick(e->Swatch(23), Qt::LeftButton);
            QTest::keyClicks(e->Title(), "x");
            e->Data(0)->setText("changed");
            Click(e, "CancelBtn");
        });
        QVERIFY(g.File("Names.dat") == names && g.File("Page7.dat") == page);
        QCOMPARE(g.p.SlotColors[7], 0xFFu);

        // An empty name is stored and shown as "Untitled" at once; a colour that matches no
        // swatch leaves the marker at its own place and is stored unchanged.
        g.Entry(5, "Odd", "", "", {}, 0x00123456);
        InEditor(g, 5, [&](Edit* e) {
            for (int i = 0; i < 24; ++i)
                QVERIFY(e->Swatch(24)->geometry() != e->Swatch(i)->geometry());
            e->Title()->clear();
            Click(e, "SaveBtn");
        });
        QVERIFY(g.pages->NameLabel(5)->property("text") == "Untitled");
        QCOMPARE(g.File("Names.dat").mid(5 * 34, 34),
                 QByteArray("Untitled").leftJustified(30, ' ') + QByteArray("\x56\x34\x12\0", 4));

        // Every field refuses a paste with characters the files cannot hold, and says which.
        // A Save that cannot write (a folder where the page file belongs) keeps the window
        // and all that was typed; once the obstacle is gone, Save writes and closes.
        QVERIFY(QDir().mkpath(g.t.LibraryPath("Page6.dat/blocked")));
        InEditor(g, 6, [&](Edit* e) {
            for (QLineEdit* field :
                 {e->Title(), e->WebPageTitle(), e->PasswordTitle(), e->Data(0)}) {
                field->setText("ok");
                e->Notice()->clear();
                field->insert(QString::fromUtf8("€漢"));
                QVERIFY(field->text() == "ok" &&
                        e->Notice()->text().contains(QString::fromUtf8("漢")));
                field->insert(QString::fromUtf8("ß€"));
            }
            Click(e, "SaveBtn");
            QVERIFY(e->isVisible() && e->Notice()->text().contains("Page6.dat") &&
                    e->Data(0)->text() == QString::fromUtf8("okß€"));
            QVERIFY(QDir(g.t.LibraryPath("Page6.dat")).removeRecursively());
            Click(e, "SaveBtn");
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(ReadClips(g.p.LibraryFolder, 6)[0], QString::fromUtf8("okß€"));
    }

    void rowKeysCommandsAndScrolling() {
        Gui g;
        g.Start();
        g.Entry(0, "Rows", "", "", {});
        InEditor(g, 0, [&](Edit* e) {
            // Tab three times from row 0 fills rows 0-2 and leaves row 3 focused; a repeat
            // count goes to the command just inserted, and a second one replaces it.
            QTest::mouseClick(e->Data(0), Qt::LeftButton);
            for (int i = 0; i < 3; ++i)
                Click(e, "Names_1");
            QVERIFY(QApplication::focusWidget() == e->Data(3) && g.p.CurrentRow == 3);
            e->Repeater_Click(1);
            e->Repeater_Click(10);
            QCOMPARE(e->Data(0)->text() + e->Data(1)->text() + e->Data(2)->text(),
                     QString("{Tab}{Tab}{Tab}{12}"));
            QVERIFY(e->Repeater()->currentIndex() == -1 &&
                    QApplication::focusWidget() == e->Data(3));

            // Focusing row 24 with rows 0-23 in view scrolls one row; a row far out of view
            // moves the view one step and the focus to the first row in view.
            e->Data(24)->setFocus();
            QVERIFY(e->ScrollValue() == 1 && g.p.CurrentRow == 24);
            e->Data(30)->setFocus();
            QVERIFY(e->ScrollValue() == 2 && QApplication::focusWidget() == e->Data(2));
            // The scroll bar keeps the current row focused while it is in view.
            e->findChild<QScrollBar*>("EditScroll")->setValue(16);
            QCOMPARE(QApplication::focusWidget(), e->Data(16));
            // At row 39 Up is written into row 39, which stays current; the Up key moves.
            e->Data(39)->setFocus();
            Click(e, "Names_3");
            QVERIFY(e->Data(39)->text() == "{Up}" && g.p.CurrentRow == 39);
            QTest::keyClick(e->Data(39), Qt::Key_Up);
            QCOMPARE(QApplication::focusWidget(), e->Data(38));
            // Enter in the name field moves on to the next row and never reaches the field.
            e->Title()->setFocus();
            QTest::keyClick(e->Title(), Qt::Key_Enter);
            QVERIFY(QApplication::focusWidget() == e->Data(39) && e->Title()->text() == "Rows");
            // F1 opens the help page (looked for beside the program) and types nothing.
            const QString help = QCoreApplication::applicationDirPath() + "/tutorial/1.htm";
            QVERIFY(QDir().mkpath(QFileInfo(help).path()));
            if (!QFileInfo::exists(help))
                TestProgram::WriteAll(help, "<html></html>");
            QTest::keyClick(e->Data(39), Qt::Key_F1);
            const QStringList& opened = g.t.fakes.browser.opened;
            QVERIFY(opened.size() == 1 && opened[0].endsWith("tutorial/1.htm"));
            QCOMPARE(e->Data(39)->text(), QString("{Up}"));
        });
        QCOMPARE(g.p.CurrentRow, 39); // outlives the window
    }

    void draggingARowExchangesTextsAndScrolls() {
        Gui g;
        g.Start();
        QStringList clips;
        for (int i = 0; i < 31; ++i)
            clips << QString("row %1").arg(i);
        g.Entry(0, "Drag", "", "", clips, 0x00FFFFFF, HideArray{0, 0, 1});
        InEditor(g, 0, [&](Edit* e) {
            QLineEdit* source = e->Data(2);
            auto move = [&](QPoint local) {
                QMouseEvent ev(QEvent::MouseMove, local, source->mapToGlobal(local), Qt::NoButton,
                               Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(source, &ev);
            };
            const QPoint start = source->rect().center();
            QTest::mousePress(source, Qt::LeftButton, {}, start);
            move(start + QPoint(1, 0)); // one pixel (15 twips) is still a click
            const bool clicked = !e->Dragging();
            move(start + QPoint(2, 0));
            QVERIFY(clicked && e->Dragging());
            // Over the Test button the list scrolls to its end; over the background, to the
            // top; so a row out of view is reached.
            const QPoint test =
                source->mapFrom(e, e->findChild<QPushButton*>("TestBtn")->geometry().center());
            move(test);
            const int atEnd = e->ScrollValue();
            move(source->mapFrom(e, QPoint(2, e->height() - 2)));
            QVERIFY(atEnd == 16 && e->ScrollValue() == 0);
            move(test);
            const QPoint drop = source->mapFromGlobal(e->Data(30)->mapToGlobal(QPoint(5, 5)));
            move(drop);
            QTest::mouseRelease(source, Qt::LeftButton, {}, drop);
            QVERIFY(!e->Dragging());
            // Texts change places; the hide flags stay with their rows.
            QCOMPARE(e->Data(2)->text() + "|" + e->Data(30)->text(), QString("row 30|row 2"));
            QVERIFY(e->HideOption(2)->isChecked() && !e->HideOption(30)->isChecked());
            QVERIFY(g.p.CurrentRow == 30 && QApplication::focusWidget() == e->Data(30));
        });
    }

    void testRunsTheEntryAsShownThroughTheTestSlotReusingTheBrowser() {
        Gui g;
        g.Start();
        g.Entry(3, "Bank", "https://bank.example/", "", {"old"});
        QStringList& opened = g.t.fakes.browser.opened;
        InEditor(g, 3, [&](Edit* e) {
            e->Data(0)->setText("   "); // blanks are no clip
            e->Data(39)->setText("last row only");
            e->TestBtn_MouseUp();
        });
        // The insertion window has the tested entry, from the test slot; the browser started
        // once.
        QVERIFY(g.p.TestMode == 1 && g.p.CurrentSlot == TestSlot && g.doIt->isVisible());
        QCOMPARE(ReadClips(g.p.LibraryFolder, TestSlot)[39], QString("last row only"));
        QCOMPARE(opened, QStringList({"https://bank.example/"}));
        // A second Test reuses the browser; after a click into the bookmark field the next
        // Test starts it again.
        InEditor(g, FromInsertion, [&](Edit* e) { e->TestBtn_MouseUp(); });
        QCOMPARE(opened.size(), 1);
        InEditor(g, FromInsertion, [&](Edit* e) {
            e->WebPageTitle()->setFocus();
            QTRY_VERIFY(e->WebPageTitle()->hasFocus());
            e->TestBtn_MouseUp();
        });
        QCOMPARE(opened.size(), 2);

        // Without clips, Test only opens the bookmark, every time, and stays in the editor.
        g.Entry(4, "Plain", "", "", {});
        g.p.TestMode = 0;
        InEditor(g, 4, [&](Edit* e) {
            e->TestBtn_MouseUp(); // no address either: nothing
            e->WebPageTitle()->setText("https://only.example/  ");
            e->TestBtn_MouseUp();
            e->TestBtn_MouseUp();
            QVERIFY(e->isVisible() && g.p.TestMode == 0);
        });
        QCOMPARE(opened.mid(2), QStringList({"https://only.example/", "https://only.example/"}));
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
