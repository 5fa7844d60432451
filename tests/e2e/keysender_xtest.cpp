// Real keystrokes into a real window under several keyboard layouts: every character a
// clip can hold arrives exactly, the keymap is left as it was, and no key stays down.
#include "platform/KeyNotation.h"
#include "platform/x11/X11KeySender.h"

#include <QString>

#include "XTestSupport.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace kelpo;
using namespace xtest;

namespace {

// Every printable character of Windows-1252: 0x20-0x7E, the 27 assigned in 0x80-0x9F
// and 0xA0-0xFF.
QString AllPrintables() {
    QString s;
    for (int u = 0x20; u <= 0x7E; ++u)
        s += QChar(u);
    s += QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    for (int u = 0xA0; u <= 0xFF; ++u)
        s += QChar(u);
    return s;
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}

std::string KeymapDump() {
    return Run("xkbcomp -xkb \"$DISPLAY\" - 2>/dev/null");
}

void SetLayout(const std::string& layout) {
    Run("setxkbmap " + layout);
}

class KeySenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test.dpy);
        SetLayout("us");
        sender = X11KeySender::Create();
        ASSERT_TRUE(sender) << "no X display with XTest and XKB";
    }
    void TearDown() override {
        EXPECT_EQ(KeysDown(test.dpy), std::vector<int>{}) << "a key was left down";
        SetLayout("us");
    }

    // Presses or releases the key of `sym` as if the user did it.
    void UserKey(KeySym sym, bool down) {
        XTestFakeKeyEvent(test.dpy, XKeysymToKeycode(test.dpy, sym), down, CurrentTime);
        XSync(test.dpy, False);
    }

    bool CapsLockOn() {
        unsigned int state = 0;
        XkbGetIndicatorState(test.dpy, XkbUseCoreKbd, &state);
        return state & 1;
    }

    TestDisplay test;
    std::unique_ptr<X11KeySender> sender;
};

} // namespace

TEST_F(KeySenderTest, EveryPrintableArrivesExactlyUnderUsDeAndFr) {
    const QString all = AllPrintables();
    ASSERT_EQ(all.size(), 218);
    for (const std::string layout : {"us", "de", "fr"}) {
        SCOPED_TRACE(layout);
        SetLayout(layout);
        const std::string keymapBefore = KeymapDump();
        ASSERT_FALSE(keymapBefore.empty());
        Target target;
        ASSERT_TRUE(target.Ready());

        EXPECT_EQ(sender->SendKeys(EscapeForKeys(all), true), SendResult::Ok);
        EXPECT_EQ(target.WaitForText(Utf8(all)), Utf8(all));
        EXPECT_EQ(KeymapDump(), keymapBefore) << "the keymap was not restored";
        EXPECT_EQ(KeysDown(test.dpy), std::vector<int>{});
    }
}

TEST_F(KeySenderTest, PasswordsWithNotationCharactersArriveLiterally) {
    SetLayout("de");
    const std::string keymapBefore = KeymapDump();
    Target target;
    ASSERT_TRUE(target.Ready());
    const QString password = QString::fromUtf8("p+ss%^~(x){y}é€ß@µ");
    EXPECT_EQ(sender->SendKeys(EscapeForKeys(password), true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText(Utf8(password)), Utf8(password));
    EXPECT_EQ(KeymapDump(), keymapBefore);
}

TEST_F(KeySenderTest, NamedKeysAndModifiersActOnTheField) {
    Target target;
    ASSERT_TRUE(target.Ready());
    // The overwrite sequence of a clip click, then Tab and Enter as the field shows them.
    EXPECT_EQ(sender->SendKeys("old text", true), SendResult::Ok);
    for (const char* keys : {"{HOME}", "+{END}", "{DEL}", "user", "{TAB}"})
        EXPECT_EQ(sender->SendKeys(keys, true), SendResult::Ok) << keys;
    EXPECT_EQ(target.WaitForText("user\t"), "user\t");

    EXPECT_EQ(sender->SendKeys("a~b{ENTER}c{BS}d{LEFT 2}{DEL}", true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText("user\ta\nbd"), "user\ta\nbd");

    // Ctrl+A selects all; Shift applies to the group.
    EXPECT_EQ(sender->SendKeys("^a+(xy)z", true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText("XYz"), "XYz");
}

TEST_F(KeySenderTest, CapsLockDoesNotInvertTheCase) {
    for (const std::string layout : {"us", "de"}) {
        SCOPED_TRACE(layout);
        SetLayout(layout);
        Target target;
        ASSERT_TRUE(target.Ready());
        UserKey(XK_Caps_Lock, true);
        UserKey(XK_Caps_Lock, false);
        ASSERT_TRUE(CapsLockOn());
        const QString text = QString::fromUtf8("aB zZ éÉ ñÑ 1!");
        EXPECT_EQ(sender->SendKeys(EscapeForKeys(text), true), SendResult::Ok);
        EXPECT_EQ(target.WaitForText(Utf8(text)), Utf8(text));
        EXPECT_TRUE(CapsLockOn()) << "the user's Caps Lock was changed";
        UserKey(XK_Caps_Lock, true);
        UserKey(XK_Caps_Lock, false);
        ASSERT_FALSE(CapsLockOn());
    }
}

TEST_F(KeySenderTest, RefusedStringsTypeNothing) {
    Target target;
    ASSERT_TRUE(target.Ready());
    EXPECT_EQ(sender->SendKeys(QString::fromUtf8("abc☃"), true), SendResult::Untypeable);
    EXPECT_EQ(sender->SendKeys("abc{TABB}", true), SendResult::InvalidNotation);
    EXPECT_EQ(sender->SendKeys("abc{", true), SendResult::InvalidNotation);
    // Nothing arrived before this marker.
    EXPECT_EQ(sender->SendKeys("!", true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText("!"), "!");
}

TEST_F(KeySenderTest, WithoutSpareKeysAMissingCharacterIsUntypeable) {
    // Occupy every free keycode, as a crowded keyboard would.
    const std::string keymapBefore = KeymapDump();
    int minKey = 0, maxKey = 0, width = 0;
    XDisplayKeycodes(test.dpy, &minKey, &maxKey);
    KeySym* syms = XGetKeyboardMapping(test.dpy, minKey, maxKey - minKey + 1, &width);
    std::vector<int> taken;
    for (int kc = minKey; kc <= maxKey; ++kc) {
        bool empty = true;
        for (int i = 0; i < width; ++i)
            empty = empty && syms[(kc - minKey) * width + i] == NoSymbol;
        if (empty) {
            KeySym f = XK_F35;
            XChangeKeyboardMapping(test.dpy, kc, 1, &f, 1);
            taken.push_back(kc);
        }
    }
    XFree(syms);
    XSync(test.dpy, False);
    ASSERT_FALSE(taken.empty());

    Target target;
    ASSERT_TRUE(target.Ready());
    EXPECT_EQ(sender->SendKeys(QString::fromUtf8("abcé"), true), SendResult::Untypeable);
    EXPECT_EQ(sender->SendKeys("abc", true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText("abc"), "abc");

    for (int kc : taken) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(test.dpy, kc, 1, &none, 1);
    }
    XSync(test.dpy, False);
    EXPECT_EQ(KeymapDump(), keymapBefore);
}

TEST_F(KeySenderTest, AHeldModifierBlocksTypingUntilReleased) {
    Target target;
    ASSERT_TRUE(target.Ready());
    UserKey(XK_Shift_L, true);
    EXPECT_EQ(sender->SendKeys("abc", true), SendResult::ModifierHeld);
    UserKey(XK_Shift_L, false);
    EXPECT_EQ(sender->SendKeys("x", true), SendResult::Ok);
    EXPECT_EQ(target.WaitForText("x"), "x");

    // Released while the sender waits: it types once the key is up.
    UserKey(XK_Control_L, true);
    std::thread releaser([] {
        TestDisplay other;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        XTestFakeKeyEvent(other.dpy, XKeysymToKeycode(other.dpy, XK_Control_L), False, CurrentTime);
        XSync(other.dpy, False);
    });
    EXPECT_EQ(sender->SendKeys("yz", true), SendResult::Ok);
    releaser.join();
    EXPECT_EQ(target.WaitForText("xyz"), "xyz");
}

TEST_F(KeySenderTest, TerminationMidSendReleasesKeysAndRestoresTheMap) {
    const std::string keymapBefore = KeymapDump();
    Target target;
    ASSERT_TRUE(target.Ready());
    // Long enough to still be typing when the signal comes; é is on a lent key.
    std::string keys;
    for (int i = 0; i < 1500; ++i)
        keys += "a+bé";
    Child sending(BuildDir() + "/tests/sendkeys", {keys});
    ASSERT_EQ(sending.ReadLine(), "sending");
    ASSERT_TRUE(WaitUntil([&] { return target.Text().size() >= 40; }));
    const int status = sending.Kill(SIGTERM);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;

    EXPECT_EQ(KeysDown(test.dpy), std::vector<int>{});
    EXPECT_EQ(KeymapDump(), keymapBefore);
    // What arrived is a true beginning of the text, never a wrong character.
    const std::string typed = target.Text();
    const std::string expected = QString::fromUtf8(keys.c_str()).replace("+b", "B").toStdString();
    EXPECT_LT(typed.size(), expected.size());
    EXPECT_EQ(expected.substr(0, typed.size()), typed);
}
