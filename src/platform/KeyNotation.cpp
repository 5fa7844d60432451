#include "platform/KeyNotation.h"

#include "core/Ansi.h"

#include <array>

namespace kelpo {

namespace {

constexpr QStringView SpecialCharacters = u"+^%~(){}";

struct NameEntry {
    QStringView name;
    NamedKey key;
};

// Several spellings of a key are accepted; the first of each key is its canonical name.
constexpr std::array<NameEntry, 33> KeyNames = {{
    {u"TAB", NamedKey::Tab},
    {u"ENTER", NamedKey::Enter},
    {u"UP", NamedKey::Up},
    {u"DOWN", NamedKey::Down},
    {u"LEFT", NamedKey::Left},
    {u"RIGHT", NamedKey::Right},
    {u"HOME", NamedKey::Home},
    {u"END", NamedKey::End},
    {u"PGUP", NamedKey::PageUp},
    {u"PGDN", NamedKey::PageDown},
    {u"DEL", NamedKey::Delete},
    {u"DELETE", NamedKey::Delete},
    {u"INS", NamedKey::Insert},
    {u"INSERT", NamedKey::Insert},
    {u"BACKSPACE", NamedKey::Backspace},
    {u"BS", NamedKey::Backspace},
    {u"BKSP", NamedKey::Backspace},
    {u"ESC", NamedKey::Escape},
    {u"ESCAPE", NamedKey::Escape},
    {u"BREAK", NamedKey::Break},
    {u"CAPSLOCK", NamedKey::CapsLock},
    {u"NUMLOCK", NamedKey::NumLock},
    {u"SCROLLLOCK", NamedKey::ScrollLock},
    {u"PRTSC", NamedKey::PrintScreen},
    {u"HELP", NamedKey::Help},
    {u"ADD", NamedKey::NumpadAdd},
    {u"SUBTRACT", NamedKey::NumpadSubtract},
    {u"MULTIPLY", NamedKey::NumpadMultiply},
    {u"DIVIDE", NamedKey::NumpadDivide},
    {u"PAGEUP", NamedKey::PageUp},
    {u"PAGEDOWN", NamedKey::PageDown},
    {u"RETURN", NamedKey::Enter},
    {u"PRINTSCREEN", NamedKey::PrintScreen},
}};

bool LookUpKey(const QString& upperName, NamedKey* key) {
    for (const NameEntry& e : KeyNames) {
        if (e.name == upperName) {
            *key = e.key;
            return true;
        }
    }
    // F1 to F16.
    if (upperName.size() >= 2 && upperName.size() <= 3 && upperName[0] == u'F') {
        bool ok = false;
        const int n = upperName.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 16 && upperName[1] != u'0' && upperName[1] != u'+') {
            *key = static_cast<NamedKey>(static_cast<int>(NamedKey::F1) + n - 1);
            return true;
        }
    }
    return false;
}

// A character a keyboard can type: held by Windows-1252 and not a control character
// (tab and line breaks are keys, handled before this).
bool IsTypeableCharacter(QChar c) {
    unsigned char byte = 0;
    if (!UnicodeToAnsi(c, &byte))
        return false;
    const char16_t u = c.unicode();
    return u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F);
}

class Parser {
public:
    explicit Parser(const QString& keys) : keys_(keys) {}

    ParsedKeys Run() {
        while (pos_ < keys_.size() && result_.Ok())
            Step();
        if (result_.Ok() && pending_ != NoModifier)
            Fail(NotationError::DanglingModifier, keys_.size());
        if (result_.Ok() && !groups_.isEmpty())
            Fail(NotationError::UnbalancedParenthesis, groups_.last().openedAt);
        if (!result_.Ok())
            result_.strokes.clear();
        return result_;
    }

private:
    struct Group {
        std::uint8_t modifiers;
        qsizetype openedAt;
    };

    void Fail(NotationError error, qsizetype at) {
        result_.error = error;
        result_.errorPosition = at;
    }

    std::uint8_t GroupModifiers() const {
        return groups_.isEmpty() ? std::uint8_t(NoModifier) : groups_.last().modifiers;
    }

    void Emit(KeyStroke stroke, int count = 1) {
        stroke.modifiers = GroupModifiers() | pending_;
        pending_ = NoModifier;
        for (int i = 0; i < count; ++i)
            result_.strokes.append(stroke);
    }

    void EmitCharacter(QChar c, qsizetype at, int count = 1) {
        if (!IsTypeableCharacter(c)) {
            Fail(NotationError::UnsupportedCharacter, at);
            return;
        }
        Emit(KeyStroke::Char(c.unicode()), count);
    }

    void Step() {
        const QChar c = keys_[pos_];
        switch (c.unicode()) {
        case u'+':
        case u'^':
        case u'%': {
            const std::uint8_t bit = c == u'+'   ? ShiftModifier
                                     : c == u'^' ? ControlModifier
                                                 : AltModifier;
            if (pending_ & bit) {
                Fail(NotationError::DanglingModifier, pos_);
                return;
            }
            pending_ |= bit;
            ++pos_;
            return;
        }
        case u'(':
            groups_.append(Group{std::uint8_t(GroupModifiers() | pending_), pos_});
            pending_ = NoModifier;
            ++pos_;
            return;
        case u')':
            if (groups_.isEmpty()) {
                Fail(NotationError::UnbalancedParenthesis, pos_);
                return;
            }
            if (pending_ != NoModifier) {
                Fail(NotationError::DanglingModifier, pos_);
                return;
            }
            groups_.removeLast();
            ++pos_;
            return;
        case u'}':
            Fail(NotationError::UnbalancedBrace, pos_);
            return;
        case u'{':
            Brace();
            return;
        case u'~':
        case u'\n':
            Emit(KeyStroke::Named(NamedKey::Enter));
            ++pos_;
            return;
        case u'\r':
            Emit(KeyStroke::Named(NamedKey::Enter));
            ++pos_;
            if (pos_ < keys_.size() && keys_[pos_] == u'\n')
                ++pos_;
            return;
        case u'\t':
            Emit(KeyStroke::Named(NamedKey::Tab));
            ++pos_;
            return;
        default:
            EmitCharacter(c, pos_);
            ++pos_;
            return;
        }
    }

    // "{NAME}", "{NAME n}", "{c}", "{c n}"; "{}}" is the closing brace itself.
    void Brace() {
        const qsizetype open = pos_;
        const qsizetype start = open + 1;
        if (start >= keys_.size()) {
            Fail(NotationError::UnbalancedBrace, open);
            return;
        }
        const qsizetype close = keys_.indexOf(u'}', keys_[start] == u'}' ? start + 1 : start);
        if (close < 0) {
            // "{}" with no second closing brace is an empty name, not a "{}}".
            Fail(keys_[start] == u'}' ? NotationError::EmptyBraces : NotationError::UnbalancedBrace,
                 open);
            return;
        }
        const QString content = keys_.mid(start, close - start);
        QString name = content;
        int count = 1;
        const qsizetype blank = content.lastIndexOf(u' ');
        if (blank > 0) {
            name = content.left(blank);
            const QString digits = content.mid(blank + 1);
            bool allDigits = !digits.isEmpty() && digits.size() <= 4;
            for (QChar d : digits)
                allDigits = allDigits && d >= u'0' && d <= u'9';
            count = allDigits ? digits.toInt() : 0;
            if (count < 1 || count > MaxKeyRepeat) {
                Fail(NotationError::BadCount, start + blank + 1);
                return;
            }
        }
        pos_ = close + 1;
        if (name.size() == 1) {
            EmitCharacter(name[0], start, count);
            return;
        }
        const QString upper = name.toUpper();
        if (upper == u"SPACE") {
            Emit(KeyStroke::Char(u' '), count);
            return;
        }
        NamedKey key;
        if (!LookUpKey(upper, &key)) {
            Fail(NotationError::UnknownKeyName, start);
            return;
        }
        Emit(KeyStroke::Named(key), count);
    }

    const QString& keys_;
    qsizetype pos_ = 0;
    std::uint8_t pending_ = NoModifier;
    QList<Group> groups_;
    ParsedKeys result_;
};

} // namespace

ParsedKeys ParseKeys(const QString& keys) {
    return Parser(keys).Run();
}

QString EscapeForKeys(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (SpecialCharacters.contains(c)) {
            out += u'{';
            out += c;
            out += u'}';
        } else {
            out += c;
        }
    }
    return out;
}

QString KeyName(NamedKey key) {
    if (key >= NamedKey::F1 && key <= NamedKey::F16)
        return QStringLiteral("F%1").arg(static_cast<int>(key) - static_cast<int>(NamedKey::F1) +
                                         1);
    for (const NameEntry& e : KeyNames)
        if (e.key == key)
            return e.name.toString();
    return QString();
}

QString FormatStrokes(const QList<KeyStroke>& strokes) {
    QString out;
    for (const KeyStroke& s : strokes) {
        if (s.modifiers & ShiftModifier)
            out += u'+';
        if (s.modifiers & ControlModifier)
            out += u'^';
        if (s.modifiers & AltModifier)
            out += u'%';
        if (s.isCharacter)
            out += EscapeForKeys(QString(QChar(s.character)));
        else
            out += u'{' + KeyName(s.key) + u'}';
    }
    return out;
}

} // namespace kelpo
