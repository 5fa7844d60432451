// The entry password prompt and the forgot-password window: the comparison rule, every
// way out leaving CurrentPassword as it was or empty, and "Delete Page" leaving exactly
// the files it should.
#include "ModalDriver.h"
#include "TabChain.h"
#include "TestProgram.h"
#include "entries/ClipSet.h"
#include "entries/PageFiles.h"
#include "insertion/Delform.h"
#include "insertion/GetPassword.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kelpo;

namespace {

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void comparesLettersWithoutCaseButKeepsBlanks() {
        QVERIFY(
            PasswordMatches(QString::fromUtf8("sEcReT ÄPFEL"), QString::fromUtf8("Secret äpfel")));
        QVERIFY(!PasswordMatches("secret ", "secret"));
        // Letter by letter: the sharp s has no one-letter capital.
        QVERIFY(!PasswordMatches("STRASSE", QString::fromUtf8("straße")));
    }

    void wrongPasswordIsHeardSeenAndSelectedEnterAnswersOnItsRelease() {
        TestProgram t;
        t.program.CurrentPassword = "Secret";
        GetPassword prompt(t.program);
        QLineEdit* text1 = prompt.Text1();
        QCOMPARE(text1->echoMode(), QLineEdit::Password); // never shown on screen
        prompt.show();
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        QVERIFY(!prompt.WrongLabel()->isVisible());
        QTest::keyClicks(text1, "secret ");
        Click(&prompt, "OKBtn");
        QCOMPARE(t.fakes.sound.played, 1);
        // Seen as well as heard; the typed text stays, selected, with the focus.
        QVERIFY(prompt.WrongLabel()->isVisible());
        QCOMPARE(text1->text(), QString("secret "));
        QCOMPARE(text1->selectedText(), QString("secret "));
        QVERIFY(text1->hasFocus());
        // Typing again replaces it, and the notice goes.
        QTest::keyClicks(text1, "sECRET");
        QCOMPARE(text1->text(), QString("sECRET"));
        QVERIFY(!prompt.WrongLabel()->isVisible());
        // A release whose press happened elsewhere (the main window's Enter) is no answer.
        QTest::keyRelease(text1, Qt::Key_Return);
        QVERIFY(prompt.isVisible());
        // The press never reaches the text box; the release answers.
        QTest::keyPress(text1, Qt::Key_Enter);
        QTest::keyRelease(text1, Qt::Key_Enter);
        QCOMPARE(prompt.result(), int(QDialog::Accepted));
        QCOMPARE(t.program.CurrentPassword, QString("Secret"));
    }

    void bothWindowsAreWorkedWithTabAlone() {
        TestProgram t;
        t.program.CurrentPassword = "pw";
        GetPassword prompt(t.program);
        prompt.show();
        QCOMPARE(TabChain(&prompt, prompt.Text1()).join(' '),
                 QString("OKBtn CancelBtn ForgotBtn Text1"));
        prompt.hide();
        Delform forgot(t.program);
        forgot.show();
        QCOMPARE(TabChain(&forgot, forgot.findChild<QWidget*>("CancelBtn")).join(' '),
                 QString("DelBtn CancelBtn"));
    }

    // Cancel, Esc, or "Forgot Password" then Cancel there, after a wrong try.
    void everyWayOutEmptiesThePasswordAndDeletesNothing() {
        for (const char* way : {"CancelBtn", "", "ForgotBtn"}) { // "": Esc
            TestProgram t;
            QDir().mkpath(t.program.LibraryFolder);
            QVERIFY(WritePage(t.program.LibraryFolder, 3, "pw", ClipArray{"x"}));
            t.program.CurrentPassword = "pw";
            OnModal prompt("GetPassword", [&](QWidget* w) {
                QLineEdit* text1 = static_cast<GetPassword*>(w)->Text1();
                QTest::keyClicks(text1, "wrong");
                Click(w, "OKBtn");
                *way ? Click(w, way) : QTest::keyClick(text1, Qt::Key_Escape);
            });
            OnModal cancel("Delform", [](QWidget* w) { Click(w, "CancelBtn"); });
            QVERIFY(!AskForPassword(t.program, 3));
            QCOMPARE(cancel.fired, qstrcmp(way, "ForgotBtn") == 0);
            QCOMPARE(t.program.CurrentPassword, QString());
            QCOMPARE(ReadClips(t.program.LibraryFolder, 3)[0], QString("x"));
        }
    }

    void deletePageClearsOnlyItsOwnSlot() {
        TestProgram t;
        const QString lib = t.program.LibraryFolder;
        QDir().mkpath(lib);
        for (int s : {6, 7, 8}) {
            ClipSet e;
            e.Slot = s;
            e.Url = QString("https://site%1.example/").arg(s);
            QVERIFY(SaveClipSet(t.program, e));
        }
        TestProgram::WriteAll(lib + "Note7.txt", "notes stay");
        const QByteArray names = TestProgram::ReadAll(lib + "Names.dat");
        const QByteArray url = TestProgram::ReadAll(lib + "url.dat");

        t.program.CurrentSlot = 7;
        t.program.CurrentPassword = "pw";
        OnModal forgot("GetPassword", [](QWidget* w) { Click(w, "ForgotBtn"); });
        OnModal del("Delform", [](QWidget* w) { Click(w, "DelBtn"); });
        QVERIFY(!AskForPassword(t.program, 7));

        // The name record blanked and white, the address field blanked, nothing else moved.
        QCOMPARE(TestProgram::ReadAll(lib + "Names.dat"),
                 QByteArray(names).replace(7 * 34, 34,
                                           QByteArray(30, ' ') + QByteArray("\xFF\xFF\xFF\0", 4)));
        QCOMPARE(TestProgram::ReadAll(lib + "url.dat"),
                 QByteArray(url).replace(7000, 1000, QByteArray(1000, ' ')));
        QVERIFY(!QFile::exists(lib + "Page7.dat") && !QFile::exists(lib + "Page7.h"));
        QVERIFY(QFile::exists(lib + "Page6.dat") && QFile::exists(lib + "Page8.h"));
        QCOMPARE(TestProgram::ReadAll(lib + "Note7.txt"), QByteArray("notes stay"));
    }
};

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
