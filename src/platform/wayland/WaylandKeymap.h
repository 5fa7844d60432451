#pragma once
// The keyboard Kelpo types with on Wayland: one fixed layout, uploaded once, that holds
// every character of Windows-1252 and every named key of the notation. Nothing is lent or
// changed while typing, so a client never reads a keymap in the middle of a string.
//
// Printable ASCII sits where a US keyboard has it (levels 1 and 2: plain and Shift), the
// characters 0xA0-0xFF on levels 3 and 4 (Level3 = Mod5, as AltGr on real layouts) of the
// same 48 keys, and the 27 characters of 0x80-0x9F on F17-F23. Every key is one that
// exists on real keyboards and that clients map to an ordinary key code, so no browser
// takes a character for a media or navigation key.
#include "platform/KeyNotation.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace kelpo::wayland {

// A key as the virtual keyboard sends it (a Linux input code) and the level that gives
// the character: 0 plain, 1 Shift, 2 Level3, 3 Shift+Level3.
struct KeyPlace {
    std::uint32_t code = 0;
    std::uint8_t level = 0;
    bool operator==(const KeyPlace&) const = default;
};

// Modifier bits of the layout, in the order of the real modifiers every keymap has.
enum ModifierBit : std::uint32_t {
    ShiftBit = 1u << 0,
    ControlBit = 1u << 2,
    AltBit = 1u << 3,   // Mod1
    Level3Bit = 1u << 7 // Mod5
};

// The layout in the text format of XKB, ready to upload; the same bytes on every call.
const QByteArray& KeymapText();

// Where `c` is on the layout; nothing for a character it does not hold (a control
// character, or one outside Windows-1252).
std::optional<KeyPlace> PlaceOfCharacter(char16_t c);

// Where a named key is; named keys have one level.
KeyPlace PlaceOfKey(NamedKey key);

// The modifier state that types `place` with the notation's `modifiers` held.
std::uint32_t ModifierMask(KeyPlace place, std::uint8_t modifiers);

// Every key code the layout uses, for checks.
QList<std::uint32_t> UsedCodes();

} // namespace kelpo::wayland
