// Opening an entry for use: what is read, when the password is asked, what the two
// windows show, and when the browser starts.
#include "TestProgram.h"
#include "entries/PageFiles.h"
#include "insertion/DoIt.h"
#include "insertion/GetPassword.h"
#include "insertion/OpenEntry.h"
#include "mainwindow/Pages.h"
#include "mainwindow/Twips.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace kelpo;

namespace {

// Runs `act` on the modal window named `name` once it is up.
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

// Notes what the windows looked like at the moment the browser was asked to start.
class WatchingBrowser : public FakeBrowser {
public:
    bool Open(const QString& address) override {
        insertionShownAtStart = program && program->doIt && program->doIt->isVisible();
        return FakeBrowser::Open(address);
    }
    Program* program = nullptr;
    bool insertionShownAtStart = false;
};

struct Fixture {
    TestProgram t;
    WatchingBrowser browser;
    std::unique_ptr<Pages> pages;
    std::unique_ptr<DoIt> doIt;

    Fixture() {
        Program& p = t.program;
        QDir().mkpath(p.LibraryFolder);
        browser.program = &p;
        p.platform.browser = &browser;
        pages = std::make_unique<Pages>(p);
        doIt = std::make_unique<DoIt>(p);
        p.pages = pages.get();
        p.doIt = doIt.get();
        pages->show();
    }

    void Entry(int slot, const QString& name, const QString& url, const QString& password,
               const ClipArray& clips, const HideArray& hidden = {}) {
        Program& p = t.program;
        p.SlotNames[slot] = name;
        p.SlotColors[slot] = 0x00C0FFC0;
        ClipSet e;
        e.Slot = slot;
        e.Url = url;
        e.Password = password;
        e.Clips = clips;
        e.Hidden = hidden;
        QVERIFY(WriteEntryFiles(p.LibraryFolder, e));
        pages->RefreshNames();
    }

    int StoredLastSlot() const {
        return DecodeSettings(TestProgram::ReadAll(t.Path("Kelpo.ini"))).LastSlot;
    }
    QString Row(int i) const {
        auto* row = doIt->findChild<QLabel*>(QStringLiteral("Names_%1").arg(i));
        return row ? row->text() : QStringLiteral("<no row>");
    }
};

ClipArray Clips(std::initializer_list<const char*> texts) {
    ClipArray clips;
    int i = 0;
    for (const char* text : texts)
        clips[i++] = QString::fromUtf8(text);
    return clips;
}

} // namespace

class OpenEntryTest : public QObject {
    Q_OBJECT
private slots:
    void clipsWithoutUrlShowTheClipsOnly();
    void urlWithoutClipsStartsTheBrowserOnly();
    void neitherOpensNothingButKeepsTheSlot();
    void rightClickSkipsTheBrowserOnce();
    void abandonedRightClickStillClearsTheSkip();
    void testSlotAsksNothingAndStartsTheBrowserOnce();
    void hiddenClipsShowStarsAndRowsAreOverwritten();
    void blankPasswordFieldIsNoPassword();
    void passwordGate();
    void promptStandsBesideTheSecondColumn();
};

void OpenEntryTest::clipsWithoutUrlShowTheClipsOnly() {
    Fixture f;
    f.Entry(3, "Bank", "", "", Clips({"user", "{Tab}", "", "pass"}));
    Program& p = f.t.program;
    p.SpaceBeforeAppend = 1;
    p.CurrentClips[7] = "stale";
    LoadClipSetForUse(p, 3);

    QCOMPARE(p.CurrentSlot, 3);
    QCOMPARE(p.CurrentName, QString("Bank"));
    QCOMPARE(p.CurrentColor, quint32(0x00C0FFC0));
    QCOMPARE(p.CurrentUrl, QString());
    QCOMPARE(p.SpaceBeforeAppend, 0);
    QCOMPARE(p.CurrentClips, Clips({"user", "{Tab}", "", "pass"}));
    QCOMPARE(f.StoredLastSlot(), 3);
    QCOMPARE(p.settings.LastSlot, qint16(3));
    QVERIFY(f.doIt->isVisible());
    QVERIFY(!f.pages->isVisible());
    QCOMPARE(f.Row(0), QString("user"));
    QCOMPARE(f.Row(3), QString("pass"));
    QVERIFY(f.browser.opened.isEmpty());
}

void OpenEntryTest::urlWithoutClipsStartsTheBrowserOnly() {
    Fixture f;
    f.Entry(8, "News", "https://news.example/today?a=1 b", "", {});
    LoadClipSetForUse(f.t.program, 8);
    QCOMPARE(f.browser.opened, QStringList{"https://news.example/today?a=1 b"});
    QVERIFY(f.pages->isVisible());
    QVERIFY(!f.doIt->isVisible());
    QCOMPARE(f.t.program.SkipBookmark, 0);
}

void OpenEntryTest::neitherOpensNothingButKeepsTheSlot() {
    Fixture f;
    f.Entry(12, "Empty", "", "", {});
    LoadClipSetForUse(f.t.program, 12);
    QVERIFY(f.pages->isVisible());
    QVERIFY(!f.doIt->isVisible());
    QVERIFY(f.browser.opened.isEmpty());
    QCOMPARE(f.StoredLastSlot(), 12);

    // A slot whose files were never written reads as an empty entry.
    LoadClipSetForUse(f.t.program, 40);
    QCOMPARE(f.StoredLastSlot(), 40);
    QCOMPARE(f.t.program.CurrentClips, ClipArray{});
    QVERIFY(f.pages->isVisible());
}

void OpenEntryTest::rightClickSkipsTheBrowserOnce() {
    Fixture f;
    f.Entry(5, "Mail", "mail.example", "", Clips({"me"}));
    f.Entry(6, "Shop", "shop.example", "", {});
    Program& p = f.t.program;

    // From the main window's right click: clips shown, no browser, the skip cleared.
    f.pages->Pagenames_MouseUp(5, 2, 0, 0, 0);
    QVERIFY(f.doIt->isVisible());
    QVERIFY(f.browser.opened.isEmpty());
    QCOMPARE(p.SkipBookmark, 0);

    // A right click on a URL without clips shows nothing at all.
    f.doIt->hide();
    f.pages->show();
    f.pages->Pagenames_MouseUp(6, 2, 0, 0, 0);
    QVERIFY(f.browser.opened.isEmpty());
    QVERIFY(f.pages->isVisible());
    QVERIFY(!f.doIt->isVisible());
    QCOMPARE(p.SkipBookmark, 0);

    // The next ordinary click starts the browser again.
    f.pages->Pagenames_MouseUp(6, 1, 0, 0, 0);
    QCOMPARE(f.browser.opened, QStringList{"shop.example"});
}

void OpenEntryTest::abandonedRightClickStillClearsTheSkip() {
    Fixture f;
    f.Entry(9, "Locked", "locked.example", "pw", Clips({"x"}));
    Program& p = f.t.program;
    p.SkipBookmark = 1;
    OnModal cancel("GetPassword", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    LoadClipSetForUse(p, 9);
    QVERIFY(cancel.fired);
    QCOMPARE(p.SkipBookmark, 0);
    QCOMPARE(p.CurrentPassword, QString());
    QCOMPARE(f.StoredLastSlot(), 9); // stored before the prompt
    QVERIFY(f.pages->isVisible());
    QVERIFY(!f.doIt->isVisible());
    QCOMPARE(p.CurrentClips, ClipArray{}); // the clips were never read

    OnModal answer("GetPassword", [](QWidget* w) {
        static_cast<GetPassword*>(w)->Text1()->setText("PW");
        static_cast<GetPassword*>(w)->OKBtn_Click();
    });
    LoadClipSetForUse(p, 9);
    QVERIFY(answer.fired);
    QCOMPARE(f.browser.opened, QStringList{"locked.example"});
}

void OpenEntryTest::testSlotAsksNothingAndStartsTheBrowserOnce() {
    Fixture f;
    f.Entry(TestSlot, "Trying", "try.example", "secret", Clips({"a", "b"}));
    Program& p = f.t.program;
    p.TestMode = 1;
    p.TestPageLoaded = 0;
    OnModal prompt("GetPassword", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    LoadClipSetForUse(p, TestSlot);
    QVERIFY(!prompt.fired);
    QCOMPARE(p.CurrentPassword, QString("secret"));
    QCOMPARE(p.CurrentClips[1], QString("b"));
    QVERIFY(f.doIt->isVisible());
    QCOMPARE(f.browser.opened, QStringList{"try.example"});
    QVERIFY(f.browser.insertionShownAtStart); // the browser comes after the window
    QCOMPARE(p.TestPageLoaded, 1);

    LoadClipSetForUse(p, TestSlot);
    QCOMPARE(f.browser.opened.size(), 1);
    QVERIFY(!prompt.fired);
}

void OpenEntryTest::hiddenClipsShowStarsAndRowsAreOverwritten() {
    Fixture f;
    HideArray hidden{};
    hidden[0] = 1;
    hidden[1] = 1;
    f.Entry(2, "Hidden", "", "", Clips({"twelve chars", "", "plain", "four", "five"}), hidden);
    f.Entry(4, "Short", "", "", Clips({"only"}));
    Program& p = f.t.program;
    LoadClipSetForUse(p, 2);
    QCOMPARE(f.Row(0), QString("************"));
    QCOMPARE(f.Row(1), QString());
    QCOMPARE(f.Row(2), QString("plain"));
    QCOMPARE(p.CurrentClips[0], QString("twelve chars")); // what is typed is the real text

    LoadClipSetForUse(p, 4);
    QCOMPARE(f.Row(0), QString("only"));
    for (int i = 1; i < 5; ++i)
        QCOMPARE(f.Row(i), QString());
}

void OpenEntryTest::blankPasswordFieldIsNoPassword() {
    Fixture f;
    f.Entry(1, "Open", "", "", Clips({"c"}));
    // Thirty blanks where the password goes: as written for "no password".
    QByteArray page = TestProgram::ReadAll(PageFilePath(f.t.program.LibraryFolder, 1));
    QCOMPARE(page.left(30), QByteArray(30, ' '));
    OnModal prompt("GetPassword", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    LoadClipSetForUse(f.t.program, 1);
    QVERIFY(!prompt.fired);
    QCOMPARE(f.t.program.CurrentPassword, QString());
    QVERIFY(f.doIt->isVisible());
}

void OpenEntryTest::passwordGate() {
    Fixture f;
    f.Entry(7, "Bank", "bank.example", "Secret", Clips({"user", "pass"}));
    Program& p = f.t.program;
    OnModal answer("GetPassword", [&](QWidget* w) {
        auto* prompt = static_cast<GetPassword*>(w);
        QVERIFY(f.browser.opened.isEmpty());
        QVERIFY(!f.doIt->isVisible());
        prompt->Text1()->setText("wrong");
        prompt->OKBtn_Click();
        QCOMPARE(f.t.fakes.sound.played, 1);
        prompt->Text1()->setText("SECRET");
        prompt->OKBtn_Click();
    });
    LoadClipSetForUse(p, 7);
    QVERIFY(answer.fired);
    QCOMPARE(p.CurrentPassword, QString("Secret"));
    QVERIFY(f.doIt->isVisible());
    QCOMPARE(f.browser.opened, QStringList{"bank.example"});
}

void OpenEntryTest::promptStandsBesideTheSecondColumn() {
    Fixture f;
    f.Entry(30, "Second", "", "pw", Clips({"c"}));
    f.Entry(24, "Last of the first", "", "pw", Clips({"c"}));
    f.pages->move(40, 30);
    QRect at;
    auto look = [&](QWidget* w) {
        at = w->frameGeometry();
        static_cast<QDialog*>(w)->reject();
    };
    const QRect main = f.pages->frameGeometry();
    auto labelTop = [&](int slot) {
        return f.pages->NameLabel(slot)->mapTo(f.pages.get(), QPoint()).y();
    };

    OnModal second("GetPassword", look);
    LoadClipSetForUse(f.t.program, 30);
    QVERIFY(second.fired);
    QCOMPARE(at.left(), main.left() + TwipsToPixels(2700, f.pages.get()));
    QCOMPARE(at.top(), main.top() + labelTop(30));

    // The last name of a column: the prompt would hang below the main window, so its
    // bottom edge is the main window's.
    OnModal bottom("GetPassword", look);
    LoadClipSetForUse(f.t.program, 24);
    QVERIFY(bottom.fired);
    QVERIFY(main.top() + labelTop(24) + at.height() > main.top() + main.height());
    QCOMPARE(at.left(), main.left());
    QCOMPARE(at.top() + at.height(), main.top() + main.height());
}

QTEST_MAIN(OpenEntryTest)
#include "openentry_test.moc"
