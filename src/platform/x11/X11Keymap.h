#pragma once
// The keyboard map as XKB sees it: which key and which modifiers produce a keysym under
// the current group and lock state, which keys are modifiers, and which keycodes are free
// to be borrowed for a keysym the layout lacks.
#include "platform/KeyNotation.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <unordered_map>
#include <utility>
#include <vector>

namespace kelpo::x11 {

// The keysyms that produce a Windows-1252 character, preferred first (the one to map
// onto a borrowed key); empty for anything else.
std::vector<KeySym> KeySymsForCharacter(char16_t character);
KeySym KeySymForKey(NamedKey key);

// How to produce a keysym: the key, and the real modifiers to hold while pressing it.
struct KeyChoice {
    KeyCode code = 0;
    unsigned int modifiers = 0;
};

class Keymap {
public:
    Keymap() = default;
    ~Keymap();
    Keymap(const Keymap&) = delete;
    Keymap& operator=(const Keymap&) = delete;

    // Reads the server's map and state; false without XKB.
    bool Load(Display* dpy);

    // The key and level modifiers that give `sym` now (Caps Lock and Num Lock included).
    bool Find(KeySym sym, KeyChoice* choice) const;

    // The keys to hold for these real modifiers; false when the map lacks one.
    bool KeysFor(unsigned int mods, std::vector<KeyCode>* keys) const;
    // The real modifiers behind Shift, Ctrl and Alt in this map.
    unsigned int ShiftBits() const { return shiftBits_; }
    unsigned int ControlBits() const { return controlBits_; }
    unsigned int AltBits() const { return altBits_; }

    // Keys that set or latch a modifier while held (Shift, Ctrl, Alt, AltGr, Super...):
    // the ones the user must not be holding while we type.
    const std::vector<KeyCode>& HeldModifierKeys() const { return modifierKeys_; }

    // Keycodes with no symbols, no actions and no modifier, highest first.
    std::vector<KeyCode> SpareKeycodes() const;

private:
    void BuildTable();
    // The level `mods` select, and the modifiers the key's type uses up in selecting it.
    int LevelFor(KeyCode code, int group, unsigned int mods, unsigned int* consumed) const;
    int GroupFor(KeyCode code) const;

    XkbDescPtr xkb_ = nullptr;
    unsigned int locked_ = 0;
    int group_ = 0;
    unsigned int shiftBits_ = 0;
    unsigned int controlBits_ = 0;
    unsigned int altBits_ = 0;
    std::vector<unsigned int> levelMasks_;                    // modifiers that select higher levels
    std::unordered_map<unsigned int, KeyCode> modifierKey_;   // by the mask it sets
    std::vector<std::pair<unsigned int, KeyCode>> pressable_; // Shift, Ctrl, Alt, levels
    std::vector<KeyCode> modifierKeys_;
    std::unordered_map<KeySym, KeyChoice> table_;
};

} // namespace kelpo::x11
