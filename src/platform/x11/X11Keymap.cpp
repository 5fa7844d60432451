#include "platform/x11/X11Keymap.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>

namespace kelpo::x11 {

namespace {

// Windows-1252's characters in 0x80-0x9F and their traditional keysyms (0 where X11 has
// none, or where a target we type into cannot read it); every character also has the
// Unicode keysym 0x1000000 + code point.
// The per-mille sign is typed only through its Unicode keysym: Chromium turns the
// traditional "permille" keysym into no character at all, whether a spare key is lent for
// it or the layout has it (Finnish, AltGr+5), so the sign was lost there.
struct LegacySym {
    char16_t character;
    KeySym sym;
};
constexpr LegacySym LegacySyms[] = {
    {0x20AC, 0x20ac}, {0x201A, 0x0afd}, {0x0192, 0x08f6}, {0x201E, 0x0afe}, {0x2026, 0x0aae},
    {0x2020, 0x0af1}, {0x2021, 0x0af2}, {0x02C6, 0},      {0x2030, 0},      {0x0160, 0x01a9},
    {0x2039, 0},      {0x0152, 0x13bc}, {0x017D, 0x01ae}, {0x2018, 0x0ad0}, {0x2019, 0x0ad1},
    {0x201C, 0x0ad2}, {0x201D, 0x0ad3}, {0x2022, 0},      {0x2013, 0x0aaa}, {0x2014, 0x0aa9},
    {0x02DC, 0},      {0x2122, 0x0ac9}, {0x0161, 0x01b9}, {0x203A, 0},      {0x0153, 0x13bd},
    {0x017E, 0x01be}, {0x0178, 0x13be},
};

// The bullet's traditional keysym is only an approximation; it is accepted in a layout
// but never put on a borrowed key.
constexpr KeySym BulletApproximation = 0x0ae6;

constexpr KeySym UnicodeKeySym(char16_t c) {
    return 0x01000000 + KeySym(c);
}

} // namespace

std::vector<KeySym> KeySymsForCharacter(char16_t c) {
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF))
        return {KeySym(c), UnicodeKeySym(c)};
    for (const LegacySym& l : LegacySyms) {
        if (l.character != c)
            continue;
        if (c == 0x2022)
            return {UnicodeKeySym(c), BulletApproximation};
        if (l.sym)
            return {l.sym, UnicodeKeySym(c)};
        return {UnicodeKeySym(c)};
    }
    return {};
}

KeySym KeySymForKey(NamedKey key) {
    switch (key) {
    case NamedKey::Tab:
        return XK_Tab;
    case NamedKey::Enter:
        return XK_Return;
    case NamedKey::Up:
        return XK_Up;
    case NamedKey::Down:
        return XK_Down;
    case NamedKey::Left:
        return XK_Left;
    case NamedKey::Right:
        return XK_Right;
    case NamedKey::Home:
        return XK_Home;
    case NamedKey::End:
        return XK_End;
    case NamedKey::PageUp:
        return XK_Prior;
    case NamedKey::PageDown:
        return XK_Next;
    case NamedKey::Delete:
        return XK_Delete;
    case NamedKey::Insert:
        return XK_Insert;
    case NamedKey::Backspace:
        return XK_BackSpace;
    case NamedKey::Escape:
        return XK_Escape;
    case NamedKey::Break:
        return XK_Break;
    case NamedKey::CapsLock:
        return XK_Caps_Lock;
    case NamedKey::NumLock:
        return XK_Num_Lock;
    case NamedKey::ScrollLock:
        return XK_Scroll_Lock;
    case NamedKey::PrintScreen:
        return XK_Print;
    case NamedKey::Help:
        return XK_Help;
    case NamedKey::NumpadAdd:
        return XK_KP_Add;
    case NamedKey::NumpadSubtract:
        return XK_KP_Subtract;
    case NamedKey::NumpadMultiply:
        return XK_KP_Multiply;
    case NamedKey::NumpadDivide:
        return XK_KP_Divide;
    default:
        break;
    }
    if (key >= NamedKey::F1 && key <= NamedKey::F16)
        return XK_F1 + (static_cast<int>(key) - static_cast<int>(NamedKey::F1));
    return NoSymbol;
}

Keymap::~Keymap() {
    if (xkb_)
        XkbFreeKeyboard(xkb_, XkbAllComponentsMask, True);
}

bool Keymap::Load(Display* dpy) {
    if (xkb_)
        XkbFreeKeyboard(xkb_, XkbAllComponentsMask, True);
    xkb_ = nullptr;
    table_.clear();
    modifierKey_.clear();
    modifierKeys_.clear();
    levelMasks_.clear();
    pressable_.clear();
    shiftBits_ = controlBits_ = altBits_ = 0;

    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(dpy, &opcode, &event, &error, &major, &minor))
        return false;
    xkb_ = XkbGetMap(dpy, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask | XkbModifierMapMask,
                     XkbUseCoreKbd);
    if (!xkb_ || !xkb_->map || !xkb_->server)
        return false;
    XkbStateRec state{};
    if (XkbGetState(dpy, XkbUseCoreKbd, &state) != Success)
        return false;
    locked_ = state.locked_mods;
    group_ = state.group;
    BuildTable();
    return true;
}

int Keymap::GroupFor(KeyCode code) const {
    const int groups = XkbKeyNumGroups(xkb_, code);
    if (group_ < groups)
        return group_;
    const unsigned char info = XkbKeyGroupInfo(xkb_, code);
    switch (XkbOutOfRangeGroupAction(info)) {
    case XkbRedirectIntoRange: {
        const int g = XkbOutOfRangeGroupNumber(info);
        return g < groups ? g : 0;
    }
    case XkbClampIntoRange:
        return groups - 1;
    default:
        return group_ % groups;
    }
}

int Keymap::LevelFor(KeyCode code, int group, unsigned int mods, unsigned int* consumed) const {
    const XkbKeyTypePtr type = XkbKeyKeyType(xkb_, code, group);
    const unsigned int relevant = mods & type->mods.mask;
    *consumed = type->mods.mask;
    for (int i = 0; i < type->map_count; ++i) {
        const XkbKTMapEntryRec& entry = type->map[i];
        if (entry.active && entry.mods.mask == relevant) {
            if (type->preserve)
                *consumed &= ~type->preserve[i].mask;
            return entry.level;
        }
    }
    return 0;
}

void Keymap::BuildTable() {
    const int minKey = xkb_->min_key_code, maxKey = xkb_->max_key_code;
    unsigned int level3 = 0, level5 = 0;
    for (int kc = minKey; kc <= maxKey; ++kc) {
        if (!XkbKeyNumGroups(xkb_, kc) || !XkbKeyHasActions(xkb_, kc))
            continue;
        const XkbAction* action = XkbKeyActionEntry(xkb_, kc, 0, 0);
        if (action->type != XkbSA_SetMods && action->type != XkbSA_LatchMods)
            continue;
        const unsigned int mask =
            (action->mods.flags & XkbSA_UseModMapMods) ? xkb_->map->modmap[kc] : action->mods.mask;
        if (!mask)
            continue;
        modifierKeys_.push_back(KeyCode(kc));
        if (action->type != XkbSA_SetMods)
            continue;
        modifierKey_.try_emplace(mask, KeyCode(kc));
        const KeySym sym = XkbKeySymEntry(xkb_, kc, 0, 0);
        if ((sym == XK_Alt_L || sym == XK_Alt_R) && !altBits_)
            altBits_ = mask;
        if (sym == XK_ISO_Level3_Shift && !level3)
            level3 = mask;
        if (sym == XK_ISO_Level5_Shift && !level5)
            level5 = mask;
    }
    if (modifierKey_.count(ShiftMask))
        shiftBits_ = ShiftMask;
    if (modifierKey_.count(ControlMask))
        controlBits_ = ControlMask;
    for (unsigned int m : {shiftBits_, controlBits_, altBits_, level3, level5})
        if (m)
            pressable_.emplace_back(m, modifierKey_.at(m));

    // Every combination of the level modifiers, fewest first: a key is taken with as few
    // held modifiers as possible.
    std::vector<unsigned int> singles;
    for (unsigned int m : {shiftBits_, level3, level5})
        if (m)
            singles.push_back(m);
    for (unsigned int subset = 0; subset < (1u << singles.size()); ++subset) {
        unsigned int mask = 0;
        for (size_t i = 0; i < singles.size(); ++i)
            if (subset & (1u << i))
                mask |= singles[i];
        levelMasks_.push_back(mask);
    }
    std::stable_sort(levelMasks_.begin(), levelMasks_.end(), [](unsigned int a, unsigned int b) {
        return std::popcount(a) < std::popcount(b);
    });

    for (unsigned int mods : levelMasks_) {
        for (int kc = minKey; kc <= maxKey; ++kc) {
            if (!XkbKeyNumGroups(xkb_, kc))
                continue;
            const int group = GroupFor(KeyCode(kc));
            unsigned int consumed = 0;
            const int level = LevelFor(KeyCode(kc), group, mods | locked_, &consumed);
            if (level >= XkbKeyGroupWidth(xkb_, kc, group))
                continue;
            KeySym sym = XkbKeySymEntry(xkb_, kc, level, group);
            if (sym == NoSymbol)
                continue;
            // Caps Lock that the key's type does not use upper-cases what the key gives.
            if ((locked_ & LockMask) && !(consumed & LockMask)) {
                KeySym lower = sym, upper = sym;
                XConvertCase(sym, &lower, &upper);
                sym = upper;
            }
            table_.try_emplace(sym, KeyChoice{KeyCode(kc), mods});
        }
    }
}

bool Keymap::Find(KeySym sym, KeyChoice* choice) const {
    const auto it = table_.find(sym);
    if (it == table_.end())
        return false;
    *choice = it->second;
    return true;
}

bool Keymap::KeysFor(unsigned int mods, std::vector<KeyCode>* keys) const {
    keys->clear();
    unsigned int covered = 0;
    for (const auto& [mask, code] : pressable_) {
        if (mask && (mods & mask) == mask && (covered & mask) != mask) {
            keys->push_back(code);
            covered |= mask;
        }
    }
    return covered == mods;
}

std::vector<KeyCode> Keymap::SpareKeycodes() const {
    std::vector<KeyCode> spare;
    if (!xkb_)
        return spare;
    // Keycode 8 is skipped: some programs ignore it.
    for (int kc = xkb_->max_key_code; kc >= std::max<int>(xkb_->min_key_code, 9); --kc)
        if (!XkbKeyNumGroups(xkb_, kc) && !xkb_->map->modmap[kc] && !XkbKeyHasActions(xkb_, kc))
            spare.push_back(KeyCode(kc));
    return spare;
}

} // namespace kelpo::x11
