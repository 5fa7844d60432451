#pragma once
// Text in the data files is single-byte Windows-1252: Latin-1 plus 27 characters in
// 0x80-0x9F. Characters outside it are stored as '?'.
#include <QByteArray>
#include <QString>

namespace kelpo {

QByteArray ToAnsi(const QString& text);
QString FromAnsi(const QByteArray& bytes);

// The Unicode character for one byte; the five unassigned bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 control of the same value so that every byte survives a round trip.
QChar AnsiToUnicode(unsigned char byte);

// True when `ch` has a byte in Windows-1252; `byte` receives it.
bool UnicodeToAnsi(QChar ch, unsigned char* byte);

// True when every character of `text` can be stored.
bool IsAnsiText(const QString& text);

} // namespace kelpo
