// The layout the Wayland key sender uploads, read back by libxkbcommon as a client reads
// it: every character lands on the level its place says, the named keys give their keys,
// and only ordinary keys are used, so no browser takes a character for a media key.
#include "core/Ansi.h"
#include "platform/wayland/WaylandKeymap.h"

#include <xkbcommon/xkbcommon.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace kelpo;
using namespace kelpo::wayland;

namespace {

struct Xkb {
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{
        xkb_context_new(xkb_context_flags(XKB_CONTEXT_NO_DEFAULT_INCLUDES |
                                          XKB_CONTEXT_NO_ENVIRONMENT_NAMES)),
        &xkb_context_unref};
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{
        xkb_keymap_new_from_string(context.get(), KeymapText().constData(),
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS),
        &xkb_keymap_unref};

    // The keysym and character a client sees for `place` under the modifiers `mask`.
    std::pair<xkb_keysym_t, char32_t> Read(KeyPlace place, std::uint32_t mask) const {
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state{xkb_state_new(keymap.get()),
                                                                     &xkb_state_unref};
        xkb_state_update_mask(state.get(), mask, 0, 0, 0, 0, 0);
        const xkb_keycode_t code = place.code + 8;
        return {xkb_state_key_get_one_sym(state.get(), code),
                xkb_state_key_get_utf32(state.get(), code)};
    }
};

QString Windows1252() {
    QString all;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const QChar c = AnsiToUnicode(static_cast<unsigned char>(byte));
        if (byte != 0x7F && (byte >= 0xA0 || byte < 0x80 || c.unicode() >= 0xA0))
            all += c;
    }
    return all;
}

} // namespace

TEST(WaylandKeymap, EveryWindows1252CharacterReadsBackFromItsPlace) {
    Xkb xkb;
    ASSERT_TRUE(xkb.keymap) << KeymapText().toStdString();
    const QString all = Windows1252();
    ASSERT_EQ(all.size(), 218);
    std::set<std::pair<std::uint32_t, int>> used;
    for (const QChar c : all) {
        const auto place = PlaceOfCharacter(c.unicode());
        ASSERT_TRUE(place) << "no place for U+" << std::hex << int(c.unicode());
        EXPECT_TRUE(used.insert({place->code, place->level}).second) << "shared place";
        // Typed plain, and with Ctrl as in "^a": Ctrl must not change the level.
        for (std::uint8_t mods : {std::uint8_t(NoModifier), std::uint8_t(ControlModifier)}) {
            const auto [sym, character] = xkb.Read(*place, ModifierMask(*place, mods));
            if (mods == NoModifier) {
                EXPECT_EQ(character, char32_t(c.unicode())) << "U+" << std::hex << int(c.unicode());
            }
            EXPECT_EQ(xkb_keysym_to_utf32(sym), char32_t(c.unicode()))
                << "U+" << std::hex << int(c.unicode()) << " mods " << int(mods);
        }
    }
    // Shift on a plain letter gives the capital, as "+a" asks.
    const auto a = *PlaceOfCharacter(u'a');
    EXPECT_EQ(xkb.Read(a, ModifierMask(a, ShiftModifier)).second, U'A');
    // What the layout cannot hold.
    for (char16_t c : {u'\t', u'\n', char16_t(0x7F), char16_t(0x81), char16_t(0x20AD),
                       char16_t(0x4E2D)})
        EXPECT_FALSE(PlaceOfCharacter(c)) << std::hex << int(c);
}

TEST(WaylandKeymap, NamedKeysAndModifiers) {
    Xkb xkb;
    ASSERT_TRUE(xkb.keymap);
    const std::pair<NamedKey, xkb_keysym_t> keys[] = {
        {NamedKey::Tab, XKB_KEY_Tab},         {NamedKey::Enter, XKB_KEY_Return},
        {NamedKey::Home, XKB_KEY_Home},       {NamedKey::End, XKB_KEY_End},
        {NamedKey::Delete, XKB_KEY_Delete},   {NamedKey::Backspace, XKB_KEY_BackSpace},
        {NamedKey::PageDown, XKB_KEY_Next},   {NamedKey::Break, XKB_KEY_Break},
        {NamedKey::NumpadAdd, XKB_KEY_KP_Add}, {NamedKey::F1, XKB_KEY_F1},
        {NamedKey(int(NamedKey::F1) + 11), XKB_KEY_F12},         {NamedKey::F16, XKB_KEY_F16}};
    for (const auto& [key, sym] : keys)
        EXPECT_EQ(xkb.Read(PlaceOfKey(key), 0).first, sym) << KeyName(key).toStdString();
    // Shift+Tab is the back tab of real keyboards; Ctrl and Alt reach the client as the
    // modifiers it knows by name.
    const KeyPlace tab = PlaceOfKey(NamedKey::Tab);
    EXPECT_EQ(xkb.Read(tab, ModifierMask(tab, ShiftModifier)).first, XKB_KEY_ISO_Left_Tab);
    const std::uint32_t both = ModifierMask(tab, ControlModifier | AltModifier);
    EXPECT_EQ(both, (1u << xkb_keymap_mod_get_index(xkb.keymap.get(), XKB_MOD_NAME_CTRL)) |
                        (1u << xkb_keymap_mod_get_index(xkb.keymap.get(), XKB_MOD_NAME_ALT)));
    EXPECT_EQ(Level3Bit, 1u << xkb_keymap_mod_get_index(xkb.keymap.get(), "Mod5"));
}

TEST(WaylandKeymap, OnlyOrdinaryKeysAndTheSameTextEachTime) {
    // Typing keys, Escape, the editing and arrow keys, the keypad operators, Pause, Help
    // and the function keys: no media, browser, power or input-method key.
    std::set<std::uint32_t> ordinary{1, 14, 15, 28, 29, 42, 55, 56, 57, 58, 69, 70, 74, 78,
                                     87, 88, 98, 99, 100, 119, 138};
    for (std::uint32_t code = 2; code <= 53; ++code)
        ordinary.insert(code);
    for (std::uint32_t code = 59; code <= 68; ++code)
        ordinary.insert(code);
    for (std::uint32_t code = 102; code <= 111; ++code)
        ordinary.insert(code);
    for (std::uint32_t code = 183; code <= 194; ++code) // F13-F24
        ordinary.insert(code);
    for (std::uint32_t code : UsedCodes())
        EXPECT_TRUE(ordinary.count(code)) << "key code " << code;
    const QByteArray first = KeymapText();
    EXPECT_EQ(KeymapText(), first);
    EXPECT_LT(first.size(), 64 * 1024);
}
