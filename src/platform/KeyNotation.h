#pragma once
// The brace notation of key strings, parsed into key strokes. Pure code shared by every
// keystroke backend; the backend only presses and releases what this produces.
//
//   text              typed as it stands ("abc")
//   {NAME} {NAME n}   a named key, n times ("{TAB}", "{Down 5}"), names in any letter case
//   {c} {c n}         one character, n times; the way to type + ^ % ~ ( ) { }
//   + ^ %             Shift, Ctrl, Alt held for the next key or parenthesised group
//   ~                 Enter
//   (...)             a group, so a modifier applies to all of it ("+(abc)")
#include <QList>
#include <QString>

#include <cstdint>

namespace kelpo {

// Keys that are not characters.
enum class NamedKey : std::uint8_t {
    Tab,
    Enter,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    PageUp,
    PageDown,
    Delete,
    Insert,
    Backspace,
    Escape,
    Break,
    CapsLock,
    NumLock,
    ScrollLock,
    PrintScreen,
    Help,
    NumpadAdd,
    NumpadSubtract,
    NumpadMultiply,
    NumpadDivide,
    F1, // F1 to F16 follow each other
    F16 = F1 + 15,
};

enum KeyModifier : std::uint8_t {
    NoModifier = 0,
    ShiftModifier = 1,
    ControlModifier = 2,
    AltModifier = 4,
};

// One press and release of a key with the modifiers held around it.
struct KeyStroke {
    bool isCharacter = true;
    char16_t character = 0;       // when isCharacter: the character to produce
    NamedKey key = NamedKey::Tab; // otherwise: the key to press
    std::uint8_t modifiers = NoModifier;

    static KeyStroke Char(char16_t c, std::uint8_t mods = NoModifier) {
        return KeyStroke{true, c, NamedKey::Tab, mods};
    }
    static KeyStroke Named(NamedKey k, std::uint8_t mods = NoModifier) {
        return KeyStroke{false, 0, k, mods};
    }
    bool operator==(const KeyStroke&) const = default;
};

enum class NotationError : std::uint8_t {
    None,
    UnbalancedBrace,       // "{TAB" or a "}" that closes nothing
    UnbalancedParenthesis, // "+(ab" or a ")" that closes nothing
    EmptyBraces,           // "{}"
    UnknownKeyName,        // "{TABB}"
    BadCount,              // "{TAB 0}", "{TAB 1000}", "{TAB x}"
    DanglingModifier,      // "+" with nothing after it, or the same modifier twice
    UnsupportedCharacter,  // a character Windows-1252 does not hold, or a control character
};

struct ParsedKeys {
    QList<KeyStroke> strokes;
    NotationError error = NotationError::None;
    qsizetype errorPosition = -1; // index into the key string where the fault was found

    bool Ok() const { return error == NotationError::None; }
};

// The largest repeat count "{KEY n}" accepts.
constexpr int MaxKeyRepeat = 999;

// Parses `keys`; on an error the stroke list is empty (nothing is to be typed).
// A tab in the text is the Tab key; a line break ("\r\n", "\r" or "\n") is Enter.
ParsedKeys ParseKeys(const QString& keys);

// The key string that types `text` literally: the notation's special characters are
// wrapped in braces, everything else stays as it is.
QString EscapeForKeys(const QString& text);

// The canonical upper-case name of a key in the notation ("TAB", "PGDN", "F5").
QString KeyName(NamedKey key);

// A stroke list written back in the notation, one key or character at a time
// ("+{TAB}a{{}"); for messages and tests.
QString FormatStrokes(const QList<KeyStroke>& strokes);

} // namespace kelpo
