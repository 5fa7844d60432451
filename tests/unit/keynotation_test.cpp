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

} // namespace

TEST(KeyNotation, NamedKeysCountsModifiersAndEscapes) {
    const std::pair<const char*, const char*> cases[] = {
        {"{tab 03}", "{TAB}{TAB}{TAB}"},
        {"{HOME}+{END}{DEL}", "{HOME}+{END}{DEL}"},
        {"{F1}{f12}{F16}", "{F1}{F12}{F16}"},
        {"{SPACE}{Space 2}", "   "},
        // Modifiers apply to one key or a group.
        {"^+{END}", "+^{END}"},
        {"+{TAB 2}x", "+{TAB}+{TAB}x"},
        {"^(a+(b)c)d", "^a+^b^cd"},
        // Tilde, tab and line breaks are keys; braced characters are characters.
        {"a~b\tc\r\nd\ne\rf", "a{ENTER}b{TAB}c{ENTER}d{ENTER}e{ENTER}f"},
        {"{} 3}{a 2}{ }[x]", "{}}{}}{}}aa [x]"},
    };
    for (const auto& [keys, strokes] : cases)
        EXPECT_EQ(Strokes(keys), strokes) << keys;
    EXPECT_EQ(ParseKeys("{TAB 999}").strokes.size(), 999);
}

TEST(KeyNotation, InvalidNotationIsAnErrorAndYieldsNothing) {
    const std::pair<const char*, NotationError> cases[] = {
        {"{TAB", NotationError::UnbalancedBrace},
        {"a}b", NotationError::UnbalancedBrace},
        {"{}", NotationError::EmptyBraces},
        {"{TABB}", NotationError::UnknownKeyName},
        {"{SHIFT+TAB}", NotationError::UnknownKeyName},
        {"{F17}", NotationError::UnknownKeyName},
        {"{TAB 0}", NotationError::BadCount},
        {"{TAB 1000}", NotationError::BadCount},
        {"{TAB 99999999999}", NotationError::BadCount},
        {"abc+", NotationError::DanglingModifier},
        {"++a", NotationError::DanglingModifier},
        {"^(%%a)", NotationError::DanglingModifier},
        {"+(ab", NotationError::UnbalancedParenthesis},
        {"a\u03A9b", NotationError::UnsupportedCharacter},
        {"\xF0\x9F\x98\x80", NotationError::UnsupportedCharacter},
        {"\x07", NotationError::UnsupportedCharacter},
    };
    for (const auto& [keys, error] : cases)
        EXPECT_EQ(ParseKeys(QString::fromUtf8(keys)).error, error) << keys;
    EXPECT_EQ(ParseKeys(QString(QChar(0))).error, NotationError::UnsupportedCharacter);

    const ParsedKeys bad = ParseKeys("user{TAB}pass{TABB}");
    EXPECT_TRUE(bad.strokes.isEmpty());
    EXPECT_EQ(bad.errorPosition, 14);
}

TEST(KeyNotation, EscapedTextIsTypedLiterally) {
    // Every printable character of Windows-1252, and the notation's own characters.
    QString all;
    for (int u = 0x20; u <= 0x7E; ++u)
        all += QChar(u);
    for (char16_t u : u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ")
        if (u)
            all += QChar(u);
    for (int u = 0xA0; u <= 0xFF; ++u)
        all += QChar(u);
    for (const QString& text : {all, QString("^(~){x}{TAB}}{a b  c"), QString()}) {
        const ParsedKeys parsed = ParseKeys(EscapeForKeys(text));
        ASSERT_TRUE(parsed.Ok()) << text.toStdString();
        QString typed;
        for (const KeyStroke& s : parsed.strokes) {
            ASSERT_TRUE(s.isCharacter && s.modifiers == NoModifier) << text.toStdString();
            typed += QChar(s.character);
        }
        EXPECT_EQ(typed, text);
    }
}
