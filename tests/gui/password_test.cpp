// The entry password prompt and the forgot-password window: the comparison rule, every
// way out leaving CurrentPassword as it was or empty, and "Delete Page" leaving exactly
// the files it should.
#include "TestProgram.h"
#include "entries/PageFiles.h"
#include "insertion/Delform.h"
#include "insertion/GetPassword.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace kelpo;

namespace {

// Runs `act` on the modal window named `name` as soon as it is up (polled, since the
// test itself is blocked inside that window's event loop).
class OnModal {
public:
    OnModal(const QString& name, std::function<void(QWidget*)> act) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, name, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != name || !modal->isVisible())
                return;
            timer_.stop();
            fired = true;
            act(modal);
        });
        timer_.start();
    }
    bool fired = false;

private:
    QTimer timer_;
};

QByteArray NameRecord(const QByteArray& name, quint32 color) {
    QByteArray r = name.leftJustified(30, ' ');
    for (int i = 0; i < 4; ++i)
        r.append(static_cast<char>((color >> (8 * i)) & 0xFF));
    return r;
}

void Click(QWidget* dialog, const char* button) {
    QPushButton* b = dialog->findChild<QPushButton*>(button);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void comparesLettersWithoutCaseButKeepsBlanks();
    void placesThePromptBesideTheName();
    void wrongPasswordSoundsAndAllowsRetry();
    void enterActsOnReleaseOnly();
    void everyWayOutEmptiesThePassword();
    void forgotThenCancelDeletesNothing();
    void deletePageOnSlot7();
};

void PasswordTest::comparesLettersWithoutCaseButKeepsBlanks() {
    QVERIFY(PasswordMatches("sEcReT", "Secret"));
    QVERIFY(PasswordMatches(QString::fromUtf8("ÄPFEL"), QString::fromUtf8("äpfel")));
    QVERIFY(PasswordMatches(" pw ", " PW "));
    QVERIFY(!PasswordMatches("secret ", "secret"));
    QVERIFY(!PasswordMatches(" secret", "secret"));
    QVERIFY(!PasswordMatches("secre", "secret"));
    // Letter by letter: the German sharp s has no one-letter capital.
    QVERIFY(!PasswordMatches("STRASSE", QString::fromUtf8("straße")));
    QVERIFY(PasswordMatches(QString::fromUtf8("STRAßE"), QString::fromUtf8("straße")));
}

void PasswordTest::placesThePromptBesideTheName() {
    const QRect main(100, 50, 800, 600); // frame: top 50, bottom edge at 650
    // Level with the label (its top inside the window added to the window's top).
    QCOMPARE(PromptPosition(main, 200, 100, 3, 180), QPoint(100, 250));
    // Second column: one column pitch further right.
    QCOMPARE(PromptPosition(main, 200, 100, 28, 180), QPoint(280, 250));
    // Would hang below the main window: its bottom edge is the main window's.
    QCOMPARE(PromptPosition(main, 520, 100, 24, 180), QPoint(100, 550));
    QCOMPARE(PromptPosition(main, 500, 100, 49, 180), QPoint(280, 550));
}

void PasswordTest::wrongPasswordSoundsAndAllowsRetry() {
    TestProgram t;
    t.program.CurrentPassword = "Secret";
    GetPassword prompt(t.program);
    QCOMPARE(prompt.windowTitle(), QString(" Enter Password"));
    QLineEdit* text1 = prompt.Text1();
    QCOMPARE(text1->echoMode(), QLineEdit::Password);
    QCOMPARE(text1->maxLength(), 30);
    QVERIFY(prompt.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(prompt.findChild<QPushButton*>("ForgotBtn")->text(), QString("Forgot Password"));
    prompt.show();
    QVERIFY(t.fakes.windows.keptOnTop.contains(prompt.winId()));

    QTest::keyClicks(text1, "secret ");
    Click(&prompt, "OKBtn");
    QCOMPARE(t.fakes.sound.played, 1);
    QVERIFY(prompt.isVisible());
    QCOMPARE(text1->text(), QString("secret ")); // the typed text stays
    QCOMPARE(t.program.CurrentPassword, QString("Secret"));

    QTest::keyClick(text1, Qt::Key_Backspace);
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(t.fakes.sound.played, 1);
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(t.program.CurrentPassword, QString("Secret"));
}

void PasswordTest::enterActsOnReleaseOnly() {
    TestProgram t;
    t.program.CurrentPassword = "pw";
    GetPassword prompt(t.program);
    prompt.show();
    QLineEdit* text1 = prompt.Text1();
    QTest::keyClicks(text1, "pw");
    // A release whose press happened elsewhere (the main window's Enter) is no answer.
    QTest::keyRelease(text1, Qt::Key_Return);
    QVERIFY(prompt.isVisible());
    QCOMPARE(t.fakes.sound.played, 0);
    // The press never reaches the text box; the release answers.
    QTest::keyPress(text1, Qt::Key_Enter);
    QCOMPARE(text1->text(), QString("pw"));
    QVERIFY(prompt.isVisible());
    QTest::keyRelease(text1, Qt::Key_Enter);
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void PasswordTest::everyWayOutEmptiesThePassword() {
    // Cancel after a wrong password.
    {
        TestProgram t;
        t.program.CurrentPassword = "pw";
        bool asked = false;
        OnModal cancel("GetPassword", [&](QWidget* w) {
            auto* prompt = static_cast<GetPassword*>(w);
            QTest::keyClicks(prompt->Text1(), "wrong");
            QTest::keyClick(prompt->Text1(), Qt::Key_Return);
            asked = t.fakes.sound.played == 1 && prompt->isVisible();
            Click(prompt, "CancelBtn");
        });
        QVERIFY(!AskForPassword(t.program, 3));
        QVERIFY(asked);
        QCOMPARE(t.program.CurrentPassword, QString());
    }
    // Esc and the close box.
    for (bool escape : {true, false}) {
        TestProgram t;
        t.program.CurrentPassword = "pw";
        OnModal leave("GetPassword", [&](QWidget* w) {
            if (escape)
                QTest::keyClick(static_cast<GetPassword*>(w)->Text1(), Qt::Key_Escape);
            else
                w->close();
        });
        QVERIFY(!AskForPassword(t.program, 3));
        QVERIFY(leave.fired);
        QCOMPARE(t.program.CurrentPassword, QString());
    }
    // The right one, typed in other letter case.
    TestProgram t;
    t.program.CurrentPassword = "MyPass";
    OnModal answer("GetPassword", [&](QWidget* w) {
        QTest::keyClicks(static_cast<GetPassword*>(w)->Text1(), "mypass");
        Click(w, "OKBtn");
    });
    QVERIFY(AskForPassword(t.program, 3));
    QCOMPARE(t.program.CurrentPassword, QString("MyPass"));
}

void PasswordTest::forgotThenCancelDeletesNothing() {
    TestProgram t;
    QDir().mkpath(t.program.LibraryFolder);
    t.program.CurrentSlot = 4;
    t.program.CurrentPassword = "pw";
    ClipArray clips;
    clips[0] = "x";
    QVERIFY(WritePage(t.program.LibraryFolder, 4, "pw", clips));
    QPoint promptPlace;
    OnModal forgot("GetPassword", [&](QWidget* w) {
        w->move(40, 60);
        promptPlace = w->pos();
        Click(w, "ForgotBtn");
    });
    QPoint delformPlace;
    bool promptHidden = false;
    OnModal cancel("Delform", [&](QWidget* w) {
        QCOMPARE(w->windowTitle(), QString(" Forgot Password"));
        delformPlace = w->pos();
        QWidget* prompt = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "GetPassword")
                prompt = top;
        promptHidden = prompt && !prompt->isVisible();
        Click(w, "CancelBtn");
    });
    QVERIFY(!AskForPassword(t.program, 4));
    QVERIFY(cancel.fired);
    QVERIFY(promptHidden);
    QCOMPARE(delformPlace, promptPlace);
    QCOMPARE(t.program.CurrentPassword, QString());
    QCOMPARE(ReadClips(t.program.LibraryFolder, 4)[0], QString("x"));
}

void PasswordTest::deletePageOnSlot7() {
    TestProgram t;
    const QString lib = t.program.LibraryFolder;
    QDir().mkpath(lib);
    QByteArray names;
    for (int s = 0; s < 51; ++s)
        names += NameRecord(s == 0 ? "" : "Name" + QByteArray::number(s), 0x00112233 + s);
    TestProgram::WriteAll(lib + "Names.dat", names);
    for (int s : {6, 7, 8}) {
        ClipSet e;
        e.Slot = s;
        e.Url = QString("https://site%1.example/").arg(s);
        e.Password = "pw";
        e.Clips[0] = QString("clip%1").arg(s);
        e.Hidden[0] = 1;
        QVERIFY(WriteEntryFiles(lib, e));
    }
    TestProgram::WriteAll(lib + "Note7.txt", "notes stay");
    QFile::setPermissions(lib + "Page7.dat", QFileDevice::ReadOwner); // read-only goes too
    const QByteArray urlBefore = TestProgram::ReadAll(lib + "url.dat");
    const QByteArray page6 = TestProgram::ReadAll(lib + "Page6.dat");
    const QByteArray hide8 = TestProgram::ReadAll(lib + "Page8.h");

    t.program.CurrentSlot = 7;
    t.program.CurrentColor = 0x00112233 + 7;
    t.program.CurrentPassword = "pw";
    OnModal forgot("GetPassword", [&](QWidget* w) { Click(w, "ForgotBtn"); });
    OnModal del("Delform", [&](QWidget* w) { Click(w, "DelBtn"); });
    QVERIFY(!AskForPassword(t.program, 7));
    QVERIFY(del.fired);

    QCOMPARE(t.program.CurrentPassword, QString());
    QCOMPARE(t.program.CurrentColor, quint32(0x00FFFFFF));
    QCOMPARE(t.program.SlotNames[7], QString());
    QCOMPARE(t.program.SlotColors[7], quint32(0x00FFFFFF));
    QCOMPARE(t.program.SlotNames[6], QString("Name6"));
    QCOMPARE(t.program.SlotNames[8], QString("Name8"));

    QByteArray namesAfter = names;
    namesAfter.replace(7 * 34, 34, NameRecord("", 0x00FFFFFF));
    QCOMPARE(TestProgram::ReadAll(lib + "Names.dat"), namesAfter);
    QByteArray urlAfter = urlBefore;
    urlAfter.replace(7000, 1000, QByteArray(1000, ' '));
    QCOMPARE(TestProgram::ReadAll(lib + "url.dat"), urlAfter);
    QVERIFY(!QFile::exists(lib + "Page7.dat"));
    QVERIFY(!QFile::exists(lib + "Page7.h"));
    QCOMPARE(TestProgram::ReadAll(lib + "Page6.dat"), page6);
    QCOMPARE(TestProgram::ReadAll(lib + "Page8.h"), hide8);
    QVERIFY(QFile::exists(lib + "Page6.h"));
    QVERIFY(QFile::exists(lib + "Page8.dat"));
    QCOMPARE(TestProgram::ReadAll(lib + "Note7.txt"), QByteArray("notes stay"));
}

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
