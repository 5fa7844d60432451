#include "platform/wayland/WaylandKeymap.h"

#include "core/Ansi.h"

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <map>

namespace kelpo::wayland {

namespace {

// Linux input codes of the keys used (the XKB key code is 8 more).
constexpr std::uint32_t CodeSpace = 57;
constexpr std::uint32_t CodeLeftShift = 42;
constexpr std::uint32_t CodeLeftControl = 29;
constexpr std::uint32_t CodeLeftAlt = 56;
constexpr std::uint32_t CodeRightAlt = 100;
constexpr std::uint32_t CodeF17 = 187;

// The printable keys of a US keyboard and what they type plain and with Shift.
struct UsKey {
    std::uint32_t code;
    char plain;
    char shifted;
};
constexpr UsKey UsKeys[] = {
    {2, '1', '!'},   {3, '2', '@'},   {4, '3', '#'},   {5, '4', '$'},  {6, '5', '%'},
    {7, '6', '^'},   {8, '7', '&'},   {9, '8', '*'},   {10, '9', '('}, {11, '0', ')'},
    {12, '-', '_'},  {13, '=', '+'},  {16, 'q', 'Q'},  {17, 'w', 'W'}, {18, 'e', 'E'},
    {19, 'r', 'R'},  {20, 't', 'T'},  {21, 'y', 'Y'},  {22, 'u', 'U'}, {23, 'i', 'I'},
    {24, 'o', 'O'},  {25, 'p', 'P'},  {26, '[', '{'},  {27, ']', '}'}, {30, 'a', 'A'},
    {31, 's', 'S'},  {32, 'd', 'D'},  {33, 'f', 'F'},  {34, 'g', 'G'}, {35, 'h', 'H'},
    {36, 'j', 'J'},  {37, 'k', 'K'},  {38, 'l', 'L'},  {39, ';', ':'}, {40, '\'', '"'},
    {41, '`', '~'},  {43, '\\', '|'}, {44, 'z', 'Z'},  {45, 'x', 'X'}, {46, 'c', 'C'},
    {47, 'v', 'V'},  {48, 'b', 'B'},  {49, 'n', 'N'},  {50, 'm', 'M'}, {51, ',', '<'},
    {52, '.', '>'},  {53, '/', '?'},  {CodeSpace, ' ', ' '},
};

struct NamedPlace {
    NamedKey key;
    std::uint32_t code;
    xkb_keysym_t sym;
    xkb_keysym_t shifted; // a second level, as real keyboards have for Tab
};
constexpr NamedPlace NamedPlaces[] = {
    {NamedKey::Tab, 15, XKB_KEY_Tab, XKB_KEY_ISO_Left_Tab},
    {NamedKey::Enter, 28, XKB_KEY_Return, 0},
    {NamedKey::Up, 103, XKB_KEY_Up, 0},
    {NamedKey::Down, 108, XKB_KEY_Down, 0},
    {NamedKey::Left, 105, XKB_KEY_Left, 0},
    {NamedKey::Right, 106, XKB_KEY_Right, 0},
    {NamedKey::Home, 102, XKB_KEY_Home, 0},
    {NamedKey::End, 107, XKB_KEY_End, 0},
    {NamedKey::PageUp, 104, XKB_KEY_Prior, 0},
    {NamedKey::PageDown, 109, XKB_KEY_Next, 0},
    {NamedKey::Delete, 111, XKB_KEY_Delete, 0},
    {NamedKey::Insert, 110, XKB_KEY_Insert, 0},
    {NamedKey::Backspace, 14, XKB_KEY_BackSpace, 0},
    {NamedKey::Escape, 1, XKB_KEY_Escape, 0},
    {NamedKey::Break, 119, XKB_KEY_Break, 0},
    {NamedKey::CapsLock, 58, XKB_KEY_Caps_Lock, 0},
    {NamedKey::NumLock, 69, XKB_KEY_Num_Lock, 0},
    {NamedKey::ScrollLock, 70, XKB_KEY_Scroll_Lock, 0},
    {NamedKey::PrintScreen, 99, XKB_KEY_Print, 0},
    {NamedKey::Help, 138, XKB_KEY_Help, 0},
    {NamedKey::NumpadAdd, 78, XKB_KEY_KP_Add, 0},
    {NamedKey::NumpadSubtract, 74, XKB_KEY_KP_Subtract, 0},
    {NamedKey::NumpadMultiply, 55, XKB_KEY_KP_Multiply, 0},
    {NamedKey::NumpadDivide, 98, XKB_KEY_KP_Divide, 0},
};

// F1-F16 by their Linux codes.
constexpr std::uint32_t FunctionCodes[16] = {59, 60, 61, 62, 63, 64, 65, 66,
                                             67, 68, 87, 88, 183, 184, 185, 186};

// The keysym of a character: Latin-1 has keysyms of the same value; every other
// character takes its Unicode keysym, which every client turns back into the character.
xkb_keysym_t SymOf(char16_t c) {
    return c < 0x100 ? xkb_keysym_t(c) : xkb_keysym_t(0x01000000u | c);
}

// The layout, built once: four levels per key code, and the place of every character.
struct Layout {
    std::map<std::uint32_t, std::array<xkb_keysym_t, 4>> keys; // code -> levels
    std::map<char16_t, KeyPlace> characters;
    QByteArray text;

    void Put(char16_t c, KeyPlace place) {
        keys[place.code][place.level] = SymOf(c);
        characters.emplace(c, place);
    }

    Layout() {
        for (const UsKey& key : UsKeys) {
            Put(char16_t(key.plain), {key.code, 0});
            if (key.shifted != key.plain)
                Put(char16_t(key.shifted), {key.code, 1});
            else
                keys[key.code][1] = SymOf(char16_t(key.shifted));
        }
        // 0xA0-0xFF, two to a key, on the levels AltGr reaches.
        char16_t c = 0xA0;
        for (const UsKey& key : UsKeys) {
            Put(c++, {key.code, 2});
            Put(c++, {key.code, 3});
        }
        // The Windows characters of 0x80-0x9F, four to a key from F17 on.
        int n = 0;
        for (int byte = 0x80; byte < 0xA0; ++byte) {
            unsigned char check = 0;
            const QChar ch = AnsiToUnicode(static_cast<unsigned char>(byte));
            if (ch.unicode() < 0xA0 || !UnicodeToAnsi(ch, &check))
                continue; // one of the five unassigned bytes
            Put(ch.unicode(), {CodeF17 + std::uint32_t(n / 4), std::uint8_t(n % 4)});
            ++n;
        }
        text = Text();
    }

    QByteArray Text() const {
        QByteArray out = "xkb_keymap {\nxkb_keycodes \"kelpo\" {\n"
                         "    minimum = 8;\n    maximum = 255;\n";
        auto name = [](std::uint32_t code) { return "<I" + QByteArray::number(code + 8) + ">"; };
        auto symbol = [](xkb_keysym_t sym) {
            char buffer[64];
            if (sym == 0 || xkb_keysym_get_name(sym, buffer, sizeof buffer) <= 0)
                return QByteArray("NoSymbol");
            return QByteArray(buffer);
        };
        std::map<std::uint32_t, QByteArray> lines; // by code, so the text is stable
        for (const auto& [code, levels] : keys) {
            QByteArray line = "    key " + name(code) + " { type = \"KELPO_FOUR_LEVEL\", "
                              "symbols[Group1] = [ ";
            for (int level = 0; level < 4; ++level)
                line += (level ? ", " : "") + symbol(levels[level]);
            lines[code] = line + " ] };\n";
        }
        for (const NamedPlace& place : NamedPlaces) {
            lines[place.code] =
                "    key " + name(place.code) +
                (place.shifted ? " { type = \"TWO_LEVEL\", symbols[Group1] = [ " +
                                     symbol(place.sym) + ", " + symbol(place.shifted) + " ] };\n"
                               : " { type = \"ONE_LEVEL\", symbols[Group1] = [ " +
                                     symbol(place.sym) + " ] };\n");
        }
        for (int i = 0; i < 16; ++i)
            lines[FunctionCodes[i]] = "    key " + name(FunctionCodes[i]) +
                                      " { type = \"ONE_LEVEL\", symbols[Group1] = [ F" +
                                      QByteArray::number(i + 1) + " ] };\n";
        const std::pair<std::uint32_t, const char*> modifiers[] = {
            {CodeLeftShift, "Shift_L"},
            {CodeLeftControl, "Control_L"},
            {CodeLeftAlt, "Alt_L"},
            {CodeRightAlt, "ISO_Level3_Shift"}};
        for (const auto& [code, sym] : modifiers)
            lines[code] = "    key " + name(code) + " { type = \"ONE_LEVEL\", symbols[Group1] = [ " +
                          sym + " ] };\n";

        for (const auto& [code, line] : lines)
            out += "    " + name(code) + " = " + QByteArray::number(code + 8) + ";\n";
        out += "};\n"
               "xkb_types \"kelpo\" {\n"
               "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
               "    type \"TWO_LEVEL\" { modifiers = Shift; map[Shift] = Level2;\n"
               "        level_name[Level1] = \"Base\"; level_name[Level2] = \"Shift\"; };\n"
               "    type \"KELPO_FOUR_LEVEL\" { modifiers = Shift+Mod5;\n"
               "        map[Shift] = Level2; map[Mod5] = Level3; map[Shift+Mod5] = Level4;\n"
               "        level_name[Level1] = \"Base\"; level_name[Level2] = \"Shift\";\n"
               "        level_name[Level3] = \"Level3\"; level_name[Level4] = \"Shift Level3\"; "
               "};\n"
               "};\n"
               "xkb_compatibility \"kelpo\" {\n"
               "    interpret Shift_L { action = SetMods(modifiers = Shift); };\n"
               "    interpret Control_L { action = SetMods(modifiers = Control); };\n"
               "    interpret Alt_L { action = SetMods(modifiers = Mod1); };\n"
               "    interpret ISO_Level3_Shift { action = SetMods(modifiers = Mod5); };\n"
               "};\n"
               "xkb_symbols \"kelpo\" {\n";
        for (const auto& [code, line] : lines)
            out += line;
        out += "    modifier_map Shift { " + name(CodeLeftShift) + " };\n" +
               "    modifier_map Control { " + name(CodeLeftControl) + " };\n" +
               "    modifier_map Mod1 { " + name(CodeLeftAlt) + " };\n" +
               "    modifier_map Mod5 { " + name(CodeRightAlt) + " };\n" + "};\n};\n";
        return out;
    }
};

const Layout& TheLayout() {
    static const Layout layout;
    return layout;
}

} // namespace

const QByteArray& KeymapText() {
    return TheLayout().text;
}

std::optional<KeyPlace> PlaceOfCharacter(char16_t c) {
    const auto& characters = TheLayout().characters;
    if (const auto found = characters.find(c); found != characters.end())
        return found->second;
    return std::nullopt;
}

KeyPlace PlaceOfKey(NamedKey key) {
    if (key >= NamedKey::F1 && key <= NamedKey::F16)
        return {FunctionCodes[int(key) - int(NamedKey::F1)], 0};
    for (const NamedPlace& place : NamedPlaces)
        if (place.key == key)
            return {place.code, 0};
    return {};
}

std::uint32_t ModifierMask(KeyPlace place, std::uint8_t modifiers) {
    std::uint32_t mask = 0;
    if ((modifiers & ShiftModifier) || place.level == 1 || place.level == 3)
        mask |= ShiftBit;
    if (modifiers & ControlModifier)
        mask |= ControlBit;
    if (modifiers & AltModifier)
        mask |= AltBit;
    if (place.level >= 2)
        mask |= Level3Bit;
    return mask;
}

QList<std::uint32_t> UsedCodes() {
    QList<std::uint32_t> codes;
    for (const auto& [code, levels] : TheLayout().keys)
        codes.append(code);
    for (const NamedPlace& place : NamedPlaces)
        codes.append(place.code);
    for (std::uint32_t code : FunctionCodes)
        codes.append(code);
    codes << CodeLeftShift << CodeLeftControl << CodeLeftAlt << CodeRightAlt;
    return codes;
}

} // namespace kelpo::wayland
