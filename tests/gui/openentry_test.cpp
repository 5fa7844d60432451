// Opening an entry for use: what is read, when the password is asked, what the two
// windows show, and when the browser starts.
#include "ModalDriver.h"
#include "TestProgram.h"
#include "app/WindowShell.h"
#include "entries/ClipSet.h"
#include "entries/PageFiles.h"
#include "insertion/DoIt.h"
#include "insertion/GetPassword.h"
#include "insertion/OpenEntry.h"
#include "mainwindow/Pages.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kelpo;

namespace {

// Runs `act` on the password prompt once it is up.
struct OnPrompt : OnModal {
    explicit OnPrompt(std::function<void(GetPassword*)> act)
        : OnModal(QStringLiteral("GetPassword"),
                  [act](QWidget* w) { act(static_cast<GetPassword*>(w)); }) {}
};

// Notes whether the insertion window was up at the moment the browser was asked to start.
struct WatchingBrowser : FakeBrowser {
    bool Open(const QString& address) override {
        insertionShownAtStart = doIt->isVisible();
        return FakeBrowser::Open(address);
    }
    QWidget* doIt = nullptr;
    bool insertionShownAtStart = false;
};

struct Fixture {
    TestProgram t;
    Program& p = t.program;
    WatchingBrowser browser;
    Pages pages{p};
    DoIt doIt{p};
    WindowShell shell{p, pages, doIt};

    Fixture() {
        QDir().mkpath(p.LibraryFolder);
        browser.doIt = &doIt;
        p.platform.browser = &browser;
        p.shell = &shell;
        pages.show();
    }
    // A saved entry under the name "Untitled", shown in the main window.
    void Entry(int slot, const QString& url, const QString& password, const QStringList& clips) {
        ClipSet e;
        e.Slot = slot;
        e.Url = url;
        e.Password = password;
        std::copy(clips.begin(), clips.end(), e.Clips.begin());
        QVERIFY(SaveClipSet(p, e));
        pages.RefreshNames();
    }
};

} // namespace

class OpenEntryTest : public QObject {
    Q_OBJECT
private slots:
    void clipsUrlBothOrNeither() {
        Fixture f;
        f.Entry(3, "", "", {"user", "{Tab}", "", "pass"});
        f.p.CurrentClips[7] = "stale";
        LoadClipSetForUse(f.p, 3);
        QCOMPARE(f.p.CurrentClips, (ClipArray{"user", "{Tab}", "", "pass"}));
        QVERIFY(f.doIt.isVisible() && !f.pages.isVisible() && f.browser.opened.isEmpty());

        // A URL alone starts the browser and leaves the main window up.
        f.doIt.hide();
        f.pages.show();
        f.Entry(8, "https://news.example/today?a=1 b", "", {});
        LoadClipSetForUse(f.p, 8);
        QCOMPARE(f.browser.opened, QStringList{"https://news.example/today?a=1 b"});
        QVERIFY(f.pages.isVisible() && !f.doIt.isVisible());

        // Neither, or files never written: nothing opens, but the slot is remembered.
        LoadClipSetForUse(f.p, 40);
        QCOMPARE(DecodeSettings(TestProgram::ReadAll(f.t.Path("Kelpo.ini"))).LastSlot, 40);
        QCOMPARE(f.p.CurrentClips, ClipArray{});
        QCOMPARE(f.browser.opened.size(), 1);
    }

    void rightClickSkipsTheBrowserOnce() {
        Fixture f;
        f.Entry(5, "mail.example", "", {"me"});
        f.Entry(6, "shop.example", "", {});
        // Clips shown, no browser, the skip cleared.
        f.pages.Pagenames_MouseUp(5, 2, 0, 0, 0);
        QVERIFY(f.doIt.isVisible() && f.browser.opened.isEmpty() && f.p.SkipBookmark == 0);
        // A URL without clips: nothing at all.
        f.pages.Pagenames_MouseUp(6, 2, 0, 0, 0);
        QVERIFY(f.browser.opened.isEmpty() && f.p.SkipBookmark == 0);
        // The next ordinary click starts the browser again.
        f.pages.Pagenames_MouseUp(6, 1, 0, 0, 0);
        QCOMPARE(f.browser.opened, QStringList{"shop.example"});
    }

    void abandonedPromptClearsTheSkipAndReadsNothing() {
        Fixture f;
        f.Entry(9, "locked.example", "pw", {"x"});
        f.p.SkipBookmark = 1;
        OnPrompt cancel([](GetPassword* prompt) { prompt->reject(); });
        LoadClipSetForUse(f.p, 9);
        QCOMPARE(f.p.SkipBookmark, 0);
        QCOMPARE(f.p.CurrentClips, ClipArray{});
        QCOMPARE(DecodeSettings(TestProgram::ReadAll(f.t.Path("Kelpo.ini"))).LastSlot,
                 9); // stored before the prompt
        QVERIFY(f.pages.isVisible() && !f.doIt.isVisible() && f.browser.opened.isEmpty());
    }

    void rightPasswordOpensTheEntryAfterThePrompt() {
        Fixture f;
        f.Entry(7, "bank.example", "Secret", {"user", "pass"});
        OnPrompt answer([&](GetPassword* prompt) {
            QVERIFY(f.browser.opened.isEmpty() && !f.doIt.isVisible()); // nothing before it
            prompt->Text1()->setText("SECRET");
            prompt->OKBtn_Click();
        });
        LoadClipSetForUse(f.p, 7);
        QVERIFY(answer.fired);
        QVERIFY(f.p.CurrentClips[1] == "pass" && f.doIt.isVisible());
        QCOMPARE(f.browser.opened, QStringList{"bank.example"});
    }

    void testSlotAsksNothingAndStartsTheBrowserOnceAfterTheWindow() {
        Fixture f;
        f.Entry(TestSlot, "try.example", "secret", {"a", "b"});
        f.p.TestMode = 1;
        OnPrompt prompt([](GetPassword* w) { w->reject(); });
        LoadClipSetForUse(f.p, TestSlot);
        QCOMPARE(f.p.CurrentPassword, QString("secret"));
        QCOMPARE(f.browser.opened, QStringList{"try.example"});
        QVERIFY(f.browser.insertionShownAtStart);
        LoadClipSetForUse(f.p, TestSlot);
        QVERIFY(f.browser.opened.size() == 1 && !prompt.fired);
    }
};

QTEST_MAIN(OpenEntryTest)
#include "openentry_test.moc"
