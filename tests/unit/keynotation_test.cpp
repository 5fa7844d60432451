// The brace notation: what each key string becomes, what is refused, and literal text.
#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

// The strokes of `keys` written back one key at a time, or the error with its position.
std::string Strokes(const QString& keys) {
    const ParsedKeys parsed = ParseKeys(keys);
    if (!parsed.Ok())
        return "error " + std::to_string(static_cast<int>(parsed.error)) + " at " +
               std::to_string(parsed.errorPosition);
    return FormatStrokes(parsed.strokes).toStdString();
}

NotationError ErrorOf(const QString& keys) {
    return ParseKeys(keys).error;
}

QString AllWindows1252Printables() {
    QString s;
    for (int u = 0x20; u <= 0x7E; ++u)
        s += QChar(u);
    for (char16_t u : u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ")
        if (u)
            s += QChar(u);
    for (int u = 0xA0; u <= 0xFF; ++u)
        s += QChar(u);
    return s;
}

} // namespace

TEST(KeyNotation, NamedKeysWithCountsInAnyCase) {
    EXPECT_EQ(Strokes("{TAB}"), "{TAB}");
    EXPECT_EQ(Strokes("{Tab 1}"), "{TAB}");
    EXPECT_EQ(Strokes("{tab 3}"), "{TAB}{TAB}{TAB}");
    EXPECT_EQ(Strokes("{Down 5}"), "{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}");
    EXPECT_EQ(Strokes("{TAB 03}"), "{TAB}{TAB}{TAB}");
    EXPECT_EQ(Strokes("{HOME}+{END}{DEL}"), "{HOME}+{END}{DEL}");
    EXPECT_EQ(Strokes("{ENTER}{UP}{LEFT}{RIGHT}{PGUP}{PGDN}"),
              "{ENTER}{UP}{LEFT}{RIGHT}{PGUP}{PGDN}");
    EXPECT_EQ(Strokes("{Delete}{bs}{BackSpace}{bksp}{Esc}{Ins}{insert}"),
              "{DEL}{BACKSPACE}{BACKSPACE}{BACKSPACE}{ESC}{INS}{INS}");
    EXPECT_EQ(Strokes("{F1}{f12}{F16}"), "{F1}{F12}{F16}");
    EXPECT_EQ(Strokes("{SPACE}{Space 2}"), "   ");
    EXPECT_EQ(ParseKeys("{TAB 999}").strokes.size(), 999);
}

TEST(KeyNotation, ModifiersApplyToOneKeyOrAGroup) {
    const ParsedKeys shiftTab = ParseKeys("+{TAB}");
    ASSERT_TRUE(shiftTab.Ok());
    ASSERT_EQ(shiftTab.strokes.size(), 1);
    EXPECT_EQ(shiftTab.strokes[0], KeyStroke::Named(NamedKey::Tab, ShiftModifier));

    EXPECT_EQ(Strokes("+ab"), "+ab");
    EXPECT_EQ(Strokes("^a"), "^a");
    EXPECT_EQ(Strokes("%{F4}"), "%{F4}");
    EXPECT_EQ(Strokes("^+{END}"), "+^{END}");
    EXPECT_EQ(Strokes("+{TAB 2}x"), "+{TAB}+{TAB}x");
    EXPECT_EQ(Strokes("+(ab)c"), "+a+bc");
    EXPECT_EQ(Strokes("^(a+(b)c)d"), "^a+^b^cd");
    EXPECT_EQ(Strokes("(ab)"), "ab");
    EXPECT_EQ(Strokes("+~"), "+{ENTER}");
}

TEST(KeyNotation, TildeIsEnterAndEscapesAreCharacters) {
    EXPECT_EQ(Strokes("a~b"), "a{ENTER}b");
    const ParsedKeys escapes = ParseKeys("{+}{^}{%}{~}{(}{)}{{}{}}");
    ASSERT_TRUE(escapes.Ok());
    QString chars;
    for (const KeyStroke& s : escapes.strokes) {
        EXPECT_TRUE(s.isCharacter);
        EXPECT_EQ(s.modifiers, NoModifier);
        chars += QChar(s.character);
    }
    EXPECT_EQ(chars, "+^%~(){}");
    EXPECT_EQ(ParseKeys("{} 3}").strokes, QList<KeyStroke>(3, KeyStroke::Char(u'}')));
    EXPECT_EQ(ParseKeys("{a 2}").strokes, QList<KeyStroke>(2, KeyStroke::Char(u'a')));
    EXPECT_EQ(ParseKeys("{ }").strokes, QList<KeyStroke>{KeyStroke::Char(u' ')});
    EXPECT_EQ(ParseKeys("[x]").strokes.size(), 3);
}

TEST(KeyNotation, TabAndLineBreaksInTextAreKeys) {
    EXPECT_EQ(Strokes("a\tb"), "a{TAB}b");
    EXPECT_EQ(Strokes("a\r\nb\nc\rd"), "a{ENTER}b{ENTER}c{ENTER}d");
}

TEST(KeyNotation, InvalidNotationIsAnErrorAndYieldsNothing) {
    EXPECT_EQ(ErrorOf("{TAB"), NotationError::UnbalancedBrace);
    EXPECT_EQ(ErrorOf("abc{"), NotationError::UnbalancedBrace);
    EXPECT_EQ(ErrorOf("a}b"), NotationError::UnbalancedBrace);
    EXPECT_EQ(ErrorOf("{}"), NotationError::EmptyBraces);
    EXPECT_EQ(ErrorOf("{TABB}"), NotationError::UnknownKeyName);
    EXPECT_EQ(ErrorOf("{SHIFT+TAB}"), NotationError::UnknownKeyName);
    EXPECT_EQ(ErrorOf("{F0}"), NotationError::UnknownKeyName);
    EXPECT_EQ(ErrorOf("{F17}"), NotationError::UnknownKeyName);
    EXPECT_EQ(ErrorOf("{F01}"), NotationError::UnknownKeyName);
    EXPECT_EQ(ErrorOf("{TAB 0}"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("{TAB 1000}"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("{TAB -1}"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("{TAB x}"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("{TAB }"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("{TAB 99999999999}"), NotationError::BadCount);
    EXPECT_EQ(ErrorOf("abc+"), NotationError::DanglingModifier);
    EXPECT_EQ(ErrorOf("++a"), NotationError::DanglingModifier);
    EXPECT_EQ(ErrorOf("(a+)"), NotationError::DanglingModifier);
    EXPECT_EQ(ErrorOf("+(ab"), NotationError::UnbalancedParenthesis);
    EXPECT_EQ(ErrorOf("ab)"), NotationError::UnbalancedParenthesis);

    const ParsedKeys bad = ParseKeys("user{TAB}pass{TABB}");
    EXPECT_TRUE(bad.strokes.isEmpty());
    EXPECT_EQ(bad.errorPosition, 14);
}

TEST(KeyNotation, OnlyWindows1252PrintablesAreText) {
    const QString all = AllWindows1252Printables();
    ASSERT_EQ(all.size(), 95 + 27 + 96);
    const ParsedKeys parsed = ParseKeys(EscapeForKeys(all));
    ASSERT_TRUE(parsed.Ok());
    QString typed;
    for (const KeyStroke& s : parsed.strokes) {
        ASSERT_TRUE(s.isCharacter);
        ASSERT_EQ(s.modifiers, NoModifier);
        typed += QChar(s.character);
    }
    EXPECT_EQ(typed, all);

    EXPECT_EQ(ErrorOf(QString::fromUtf8("aΩb")), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString::fromUtf8("{☃}")), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString::fromUtf8("😀")), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString(QChar(0x81))), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString(QChar(0x07))), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString(QChar(0x7F))), NotationError::UnsupportedCharacter);
    EXPECT_EQ(ErrorOf(QString(QChar(0))), NotationError::UnsupportedCharacter);
}

TEST(KeyNotation, EscapedTextIsTypedLiterally) {
    for (const QString& text :
         {QString("p+ss%"), QString("^(~){x}"), QString("{TAB}"), QString("}{"), QString("a b  c"),
          QString(), QString::fromUtf8("Grüße, € 5 – “ok”")}) {
        const ParsedKeys parsed = ParseKeys(EscapeForKeys(text));
        ASSERT_TRUE(parsed.Ok()) << text.toStdString();
        QString typed;
        for (const KeyStroke& s : parsed.strokes) {
            ASSERT_TRUE(s.isCharacter) << text.toStdString();
            ASSERT_EQ(s.modifiers, NoModifier) << text.toStdString();
            typed += QChar(s.character);
        }
        EXPECT_EQ(typed, text);
    }
    EXPECT_EQ(EscapeForKeys("p+ss%"), "p{+}ss{%}");
    EXPECT_EQ(EscapeForKeys("[a]"), "[a]");
}
