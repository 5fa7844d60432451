// The Website Editor offscreen: opening (with and without the password prompt), the bytes
// Save writes, Cancel, the clip rows and their keys, the command buttons, the repeat list,
// dragging rows, refused characters and a Save that cannot write.
#include "TestProgram.h"
#include "app/WindowShell.h"
#include "editor/Edit.h"
#include "editor/EditEntry.h"
#include "entries/ClipSet.h"
#include "entries/PageFiles.h"
#include "insertion/DoIt.h"
#include "insertion/GetPassword.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kelpo;

namespace {

// Runs `act` on the modal window named `name` once it is up (polled: the test itself is
// blocked in that window's event loop).
struct OnModal {
    OnModal(const QString& name, std::function<void(QWidget*)> act) {
        QObject::connect(&timer, &QTimer::timeout, [this, name, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == name && modal->isVisible()) {
                timer.stop();
                fired = true;
                act(modal);
            }
        });
        timer.start(5);
    }
    QTimer timer;
    bool fired = false;
};

// The program's two lasting windows and their shell over a fresh data folder.
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
        pages.move(40, 30);
        pages.show();
    }
    ~Fixture() { p.shell = nullptr; }

    void Entry(int slot, const QString& name, std::uint32_t color, const QString& password,
               const QStringList& clips, const HideArray& hidden = {}) {
        ClipSet e;
        e.Slot = slot;
        e.Name = name;
        e.Color = color;
        e.Url = "https://example.com/" + name;
        e.Password = password;
        std::copy(clips.begin(), clips.end(), e.Clips.begin());
        e.Hidden = hidden;
        QVERIFY(SaveClipSet(p, e));
        pages.RefreshNames();
    }
    QByteArray File(const QString& name) { return TestProgram::ReadAll(t.LibraryPath(name)); }

    // Opens the editor on `slot` from the main window's Edit button (or with `open`) and
    // runs `act` in it.
    void InEditor(int slot, const std::function<void(Edit*)>& act,
                  const std::function<void()>& open = {}) {
        bool ran = false;
        OnModal on("Edit", [&](QWidget* w) {
            ran = true;
            QVERIFY(QTest::qWaitForWindowActive(w));
            act(static_cast<Edit*>(w));
            // A check that failed half-way must not leave the test waiting in the window.
            if (w->isVisible())
                static_cast<Edit*>(w)->reject();
        });
        if (open)
            open();
        else
            pages.UseBtn_MouseUp(slot, 1, 0, 0, 0);
        QVERIFY(ran);
    }
};

void Release(QWidget* editor, const char* name) {
    auto* button = editor->findChild<QPushButton*>(name);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray Scrambled(const QByteArray& plain, int width) {
    QByteArray out;
    for (char c : plain)
        out.append(char(255 - static_cast<unsigned char>(c)));
    return out + QByteArray(width - plain.size(), ' ');
}

QByteArray Int16s(std::initializer_list<int> values, int count) {
    QByteArray out;
    for (int v : values)
        out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    return out + QByteArray(2 * count - out.size(), '\0');
}

} // namespace

class EditTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithAPromptPlacedBesideTheColumnOrWithout() {
        Fixture f;
        f.Entry(30, "Locked", 0x00C0FFC0, "Sesame", {"me", "{Tab}"}, {0, 1});
        f.p.TestMode = 0;
        // Slot 30 stands in the second column: the prompt is 2700 twips right of the main
        // window's left edge. Giving it up opens no editor.
        QPoint promptAt;
        OnModal prompt("GetPassword", [&](QWidget* w) {
            promptAt = w->pos();
            static_cast<GetPassword*>(w)->CancelBtn_Click();
        });
        f.pages.UseBtn_MouseUp(30, 1, 0, 0, 0);
        QVERIFY(prompt.fired);
        QCOMPARE(promptAt.x(), f.pages.frameGeometry().left() + TwipsToPixels(2700, &f.pages));
        QVERIFY(f.p.CurrentPassword.isEmpty());
        QCOMPARE(f.p.settings.LastSlot, qint16(30));

        // From the insertion window's Edit button on the entry in use there is no prompt, and
        // TestMode goes back to 0. The fields and rows are the entry's; the window sits at
        // the main window's place with the name field focused, and the marker on the
        // entry's swatch. Cancel brings the main window back.
        f.p.TestMode = 0;
        f.p.CurrentSlot = 30;
        f.p.EditSlot = 2;
        f.pages.hide();
        f.doIt.show();
        f.p.CurrentRow = 7; // outlives the window
        f.InEditor(
            30,
            [&](Edit* e) {
                QCOMPARE(f.p.EditSlot, 30);
                QCOMPARE(e->windowTitle(), QString(" Kelpo (Edit)"));
                QCOMPARE(e->pos(), f.pages.pos());
                QCOMPARE(QApplication::focusWidget(), e->Title());
                QCOMPARE(e->Title()->text(), QString("Locked"));
                QCOMPARE(e->WebPageTitle()->text(), QString("https://example.com/Locked"));
                QCOMPARE(e->PasswordTitle()->text(), QString("Sesame"));
                QCOMPARE(e->PasswordTitle()->echoMode(), QLineEdit::Normal);
                QCOMPARE(e->Data(0)->text(), QString("me"));
                QCOMPARE(e->Data(1)->text(), QString("{Tab}"));
                QVERIFY(!e->HideOption(0)->isChecked());
                QVERIFY(e->HideOption(1)->isChecked());
                QCOMPARE(e->Swatch(24)->geometry(), e->Swatch(12)->geometry()); // 192,255,192
                QCOMPARE(e->Repeater()->count(), 98);
                QCOMPARE(e->Repeater()->currentIndex(), -1);
                QCOMPARE(f.p.CurrentRow, 7);
                // Tab goes name, URL, password, first row.
                QTest::keyClick(e->Title(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), e->WebPageTitle());
                QTest::keyClick(e->WebPageTitle(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), e->PasswordTitle());
                QTest::keyClick(e->PasswordTitle(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), e->Data(0));
                Release(e, "CancelBtn");
            },
            [&] { f.doIt.EditBtn_MouseUp(); });
        QCOMPARE(f.p.TestMode, 0);
        QVERIFY(f.pages.isVisible());
        QVERIFY(!f.doIt.isVisible());

        // Without a password, TestMode stays as it was.
        f.Entry(3, "Open", 0x00FFFFFF, "", {});
        f.p.TestMode = 1;
        f.InEditor(3, [](Edit* e) { Release(e, "CancelBtn"); });
        QCOMPARE(f.p.TestMode, 1);
    }

    void saveWritesTheEntryByteForByte() {
        Fixture f;
        f.p.EditSlot = 7;
        f.InEditor(7, [&](Edit* e) {
            QTest::keyClicks(e->Title(), "My Bank");
            QTest::keyClicks(e->WebPageTitle(), "http://127.0.0.1:8080/login");
            QTest::keyClicks(e->PasswordTitle(), "pw");
            QTest::mouseClick(e->Data(0), Qt::LeftButton);
            QTest::keyClicks(e->Data(0), "jane");
            QTest::keyClick(e->Data(0), Qt::Key_Return); // next row, nothing typed
            QTest::keyClicks(e->Data(1), "s");
            e->Data(1)->insert(QString::fromUtf8("€")); // as typed on a keyboard that has it
            QTest::keyClicks(e->Data(1), "cr");
            QTest::keyClick(e->Data(1), Qt::Key_Down);
            Release(e, "Names_1");  // {Tab} into row 2
            Release(e, "Names_11"); // Click writes {Enter} into row 3
            QTest::mouseClick(e->HideOption(1), Qt::LeftButton);
            QTest::mouseClick(e->Swatch(9), Qt::LeftButton); // 255, 0, 0
            QCOMPARE(e->Swatch(24)->geometry(), e->Swatch(9)->geometry());
            Release(e, "SaveBtn");
        });
        QVERIFY(!QApplication::activeModalWidget());

        // The bytes the format gives, built here by hand.
        QByteArray page = Scrambled("pw", 30) + Scrambled("jane", 200) +
                          Scrambled("s\x80"
                                    "cr",
                                    200) +
                          Scrambled("{Tab}", 200) + Scrambled("{Enter}", 200);
        page += QByteArray(36 * 200, ' ');
        QCOMPARE(f.File("Page7.dat"), page);
        QCOMPARE(f.File("Page7.h"), Int16s({0, 1}, 40));
        QCOMPARE(f.File("url.dat").mid(7000),
                 QByteArray("http://127.0.0.1:8080/login").leftJustified(1000, ' '));
        QByteArray record = QByteArray("My Bank").leftJustified(30, ' ');
        record.append("\xFF\x00\x00\x00", 4);
        QCOMPARE(f.File("Names.dat").mid(7 * 34, 34), record);
        QCOMPARE(qobject_cast<QLabel*>(f.pages.NameLabel(7))->text(), QString("My Bank"));
        QVERIFY(f.pages.isVisible());
    }

    void cancelWritesNothingAndAnEmptyNameSavesAsUntitled() {
        Fixture f;
        f.Entry(4, "Shop", 0x00FFFFFF, "", {"a"});
        const QByteArray names = f.File("Names.dat"), page = f.File("Page4.dat");
        f.p.EditSlot = 4;
        f.InEditor(4, [&](Edit* e) {
            QTest::mouseClick(e->Swatch(23), Qt::LeftButton);
            QTest::keyClicks(e->Title(), "x");
            Release(e, "CancelBtn");
        });
        QCOMPARE(f.File("Names.dat"), names);
        QCOMPARE(f.File("Page4.dat"), page);
        QCOMPARE(f.p.SlotColors[4], 0x00FFFFFFu);

        // An empty name field is stored and shown as "Untitled" at once; a colour that
        // matches no swatch leaves the marker at its own place and is stored unchanged.
        f.Entry(5, "Odd", 0x00123456, "", {});
        f.p.EditSlot = 5;
        f.InEditor(5, [&](Edit* e) {
            for (int i = 0; i < 24; ++i)
                QVERIFY(e->Swatch(24)->geometry() != e->Swatch(i)->geometry());
            e->Title()->clear();
            Release(e, "SaveBtn");
        });
        QCOMPARE(qobject_cast<QLabel*>(f.pages.NameLabel(5))->text(), QString("Untitled"));
        QCOMPARE(f.File("Names.dat").mid(5 * 34, 34),
                 QByteArray("Untitled").leftJustified(30, ' ') + QByteArray("\x56\x34\x12\x00", 4));
    }

    void rowsCommandsAndRepeatCounts() {
        Fixture f;
        f.Entry(0, "Rows", 0x00FFFFFF, "", {});
        f.p.EditSlot = 0;
        f.InEditor(0, [&](Edit* e) {
            // Tab three times from row 0 fills rows 0-2 and leaves row 3 focused.
            QTest::mouseClick(e->Data(0), Qt::LeftButton);
            for (int i = 0; i < 3; ++i)
                Release(e, "Names_1");
            QCOMPARE(e->Data(0)->text() + e->Data(1)->text() + e->Data(2)->text(),
                     QString("{Tab}{Tab}{Tab}"));
            QCOMPARE(QApplication::focusWidget(), e->Data(3));
            QCOMPARE(f.p.CurrentRow, 3);
            // The count goes to the command just inserted, and a second count replaces it.
            e->Repeater_Click(1); // "03"
            QCOMPARE(e->Data(2)->text(), QString("{Tab}{03}"));
            e->Repeater_Click(10); // "12"
            QCOMPARE(e->Data(2)->text(), QString("{Tab}{12}"));
            QCOMPARE(e->Repeater()->currentIndex(), -1);
            QCOMPARE(QApplication::focusWidget(), e->Data(3));
            // A count that would take a row past 200 characters is refused and said.
            e->Data(3)->setText(QString(197, 'x'));
            e->Repeater_Click(0);
            QCOMPARE(e->Data(3)->text(), QString(197, 'x'));
            QVERIFY(e->Notice()->text().contains("200"));

            // Row colours: white while focused, light cyan otherwise.
            QCOMPARE(e->Data(3)->palette().color(QPalette::Base), QColor(255, 255, 255));
            QCOMPARE(e->Data(4)->palette().color(QPalette::Base), QColor(192, 255, 255));

            // Focusing row 24 with rows 0-23 in view scrolls one row.
            QCOMPARE(e->ScrollValue(), 0);
            e->Data(24)->setFocus();
            QCOMPARE(e->ScrollValue(), 1);
            QCOMPARE(f.p.CurrentRow, 24);

            // A row far out of view: the view moves one step, and the focus goes to the
            // first row in view.
            e->Data(30)->setFocus();
            QCOMPARE(e->ScrollValue(), 2);
            QCOMPARE(QApplication::focusWidget(), e->Data(2));
            // The scroll bar keeps the current row focused while it is in view.
            e->findChild<QScrollBar*>("EditScroll")->setValue(16);
            QCOMPARE(QApplication::focusWidget(), e->Data(16));
            // At row 39 Up is written into row 39, which stays current; the Up key moves.
            e->Data(39)->setFocus();
            Release(e, "Names_3");
            QCOMPARE(e->Data(39)->text(), QString("{Up}"));
            QCOMPARE(f.p.CurrentRow, 39);
            QTest::keyClick(e->Data(39), Qt::Key_Up);
            QCOMPARE(QApplication::focusWidget(), e->Data(38));
            // Enter in the name field moves to a row and never reaches the field.
            e->Title()->setFocus();
            QTest::keyClick(e->Title(), Qt::Key_Enter);
            QCOMPARE(QApplication::focusWidget(), e->Data(39));
            QCOMPARE(e->Title()->text(), QString("Rows"));
            // F1 opens the help page (looked for beside the program) and types nothing.
            const QString help = QCoreApplication::applicationDirPath() + "/tutorial/1.htm";
            QVERIFY(QDir().mkpath(QFileInfo(help).path()));
            if (!QFileInfo::exists(help))
                TestProgram::WriteAll(help, "<html></html>");
            QTest::keyClick(e->Data(39), Qt::Key_F1);
            QCOMPARE(f.t.fakes.browser.opened.size(), 1);
            QVERIFY(f.t.fakes.browser.opened[0].endsWith("tutorial/1.htm"));
            QCOMPARE(e->Data(39)->text(), QString("{Up}"));
            Release(e, "CancelBtn");
        });
        // CurrentRow survives the window.
        QCOMPARE(f.p.CurrentRow, 39);
    }

    void draggingARowExchangesTextsAndScrolls() {
        Fixture f;
        HideArray hidden{};
        hidden[2] = 1;
        QStringList clips;
        for (int i = 0; i < 31; ++i)
            clips << QString("row %1").arg(i);
        f.Entry(0, "Drag", 0x00FFFFFF, "", clips, hidden);
        f.p.EditSlot = 0;
        f.InEditor(0, [&](Edit* e) {
            auto move = [&](QWidget* from, QPoint local, Qt::MouseButtons buttons) {
                QMouseEvent ev(QEvent::MouseMove, local, from->mapToGlobal(local), Qt::NoButton,
                               buttons, Qt::NoModifier);
                QApplication::sendEvent(from, &ev);
            };
            QLineEdit* source = e->Data(2);
            const QPoint start = source->rect().center();
            QTest::mousePress(source, Qt::LeftButton, {}, start);
            // One pixel (15 twips) is still a click.
            move(source, start + QPoint(1, 0), Qt::LeftButton);
            QVERIFY(!e->Dragging());
            move(source, start + QPoint(2, 0), Qt::LeftButton);
            QVERIFY(e->Dragging());
            // Over the Test button the list scrolls to its end; over the background, to the top;
            // so a row out of view is reached.
            auto* test = e->findChild<QPushButton*>("TestBtn");
            move(source, source->mapFrom(e, test->geometry().center()), Qt::LeftButton);
            QCOMPARE(e->ScrollValue(), 16);
            move(source, source->mapFrom(e, QPoint(2, e->height() - 2)), Qt::LeftButton);
            QCOMPARE(e->ScrollValue(), 0);
            move(source, source->mapFrom(e, test->geometry().center()), Qt::LeftButton);
            const QPoint drop = source->mapFromGlobal(e->Data(30)->mapToGlobal(QPoint(5, 5)));
            move(source, drop, Qt::LeftButton);
            QTest::mouseRelease(source, Qt::LeftButton, {}, drop);
            QVERIFY(!e->Dragging());
            // Texts change places; the hide flags stay with their rows.
            QCOMPARE(e->Data(2)->text(), QString("row 30"));
            QCOMPARE(e->Data(30)->text(), QString("row 2"));
            QVERIFY(e->HideOption(2)->isChecked());
            QVERIFY(!e->HideOption(30)->isChecked());
            QCOMPARE(f.p.CurrentRow, 30);
            QCOMPARE(QApplication::focusWidget(), e->Data(30));
            Release(e, "CancelBtn");
        });
    }

    void refusesCharactersTheFilesCannotHold() {
        Fixture f;
        f.p.EditSlot = 1;
        f.InEditor(1, [&](Edit* e) {
            for (QLineEdit* field :
                 {e->Title(), e->WebPageTitle(), e->PasswordTitle(), e->Data(5)}) {
                field->setText("ok");
                field->setCursorPosition(2);
                field->insert(QString::fromUtf8("€😀")); // a paste
                QCOMPARE(field->text(), QString("ok"));
                QVERIFY(e->Notice()->text().contains(QString::fromUtf8("😀")));
                e->Notice()->clear();
                field->insert(QString::fromUtf8("漢"));
                QCOMPARE(field->text(), QString("ok"));
                QVERIFY(e->Notice()->text().contains(QString::fromUtf8("漢")));
                field->insert(QString::fromUtf8("ß€"));
                QCOMPARE(field->text(), QString::fromUtf8("okß€"));
            }
            Release(e, "CancelBtn");
        });
    }

    void aSaveThatCannotWriteKeepsTheEditorOpen() {
        Fixture f;
        f.p.EditSlot = 6;
        // A folder where the page file belongs: nothing can be written there.
        QVERIFY(QDir().mkpath(f.t.LibraryPath("Page6.dat/blocked")));
        int attempts = 0;
        f.InEditor(6, [&](Edit* e) {
            QTest::keyClicks(e->Title(), "Kept");
            e->Data(0)->setText("typed clip");
            Release(e, "SaveBtn");
            ++attempts;
            QVERIFY(e->isVisible());
            QVERIFY(e->Notice()->text().contains("Page6.dat"));
            QCOMPARE(e->Title()->text(), QString("Kept"));
            QCOMPARE(e->Data(0)->text(), QString("typed clip"));
            // Once the obstacle is gone, Save writes and closes.
            QVERIFY(QDir(f.t.LibraryPath("Page6.dat")).removeRecursively());
            Release(e, "SaveBtn");
        });
        QCOMPARE(attempts, 1);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(ReadClips(f.p.LibraryFolder, 6)[0], QString("typed clip"));
    }
};

QTEST_MAIN(EditTest)
#include "edit_test.moc"
