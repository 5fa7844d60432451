#include "core/Ansi.h"

#include <array>

namespace kelpo {

namespace {

// 0x80-0x9F; 0 marks the five bytes Windows-1252 leaves unassigned.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QChar AnsiToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t u = HighTable[byte - 0x80];
        return QChar(u ? u : char16_t(byte));
    }
    return QChar(char16_t(byte));
}

bool UnicodeToAnsi(QChar ch, unsigned char* byte) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *byte = static_cast<unsigned char>(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        const char16_t mapped = HighTable[i] ? HighTable[i] : char16_t(0x80 + i);
        if (mapped == u) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

QByteArray ToAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        unsigned char b = '?';
        UnicodeToAnsi(ch, &b);
        out.append(static_cast<char>(b));
    }
    return out;
}

QString FromAnsi(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.append(AnsiToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool IsAnsiText(const QString& text) {
    unsigned char b;
    for (QChar ch : text)
        if (!UnicodeToAnsi(ch, &b))
            return false;
    return true;
}

} // namespace kelpo
