#pragma once
// The entry files of a library folder: "url.dat" (one 1000-byte record per slot),
// "Page<n>.dat" (the scrambled password and 40 scrambled clips, 8030 bytes) and
// "Page<n>.h" (40 16-bit hide flags). Text is Windows-1252, blank-padded on the right.
//
// Scrambled text ends in a blank wherever the plain text ends in the character 0xDF, so
// such a field cannot be told from its padding. A page file that holds such a field gets
// a trailer after its 8030 bytes that records how many of those characters each field
// ends in, together with a digest of the 8030 bytes it belongs to; a page rewritten
// without it (by anything else) no longer matches the digest and reads as plain fields.
// Every field that does not end in 0xDF is stored and read exactly as before.
#include "entries/ClipSet.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace kelpo {

inline constexpr int UrlRecordSize = 1000;
inline constexpr int PasswordFieldSize = 30;
inline constexpr int ClipFieldSize = 200;
inline constexpr int PageFileSize = PasswordFieldSize + ClipCount * ClipFieldSize; // 8030
inline constexpr int HideFileSize = 2 * ClipCount;                                 // 80
inline constexpr int NameFieldSize = 30;
inline constexpr int UrlMaxLength = UrlRecordSize;

// The trailer after the page bytes: a tag, one count per field (password, then clips)
// and the SHA-256 of the 8030 page bytes.
inline constexpr char PageTrailerTag[] = "KLPDF1\r\n";
inline constexpr int PageTrailerTagSize = 8;
inline constexpr int PageTrailerSize = PageTrailerTagSize + 1 + ClipCount + 32;

// The character whose scrambled form is a blank.
inline constexpr unsigned char BlankTwin = 0xDF;

using ClipArray = std::array<QString, ClipCount>;
using HideArray = std::array<std::int16_t, ClipCount>;

QString UrlFilePath(const QString& libraryFolder);
QString PageFilePath(const QString& libraryFolder, int slot);
QString HideFilePath(const QString& libraryFolder, int slot);
// "Note<n>.txt": the entry's free-text notes.
QString NoteFilePath(const QString& libraryFolder, int slot);

// Replaces every byte c by 255 - c; its own inverse. Changes `text` and returns it.
QByteArray ScrambleText(QByteArray& text);
// The same over the Windows-1252 form of `text`.
QString ScrambleText(QString& text);

// --- Byte images (pure) ---

// A text field: the Windows-1252 bytes, scrambled when asked, blank-padded to `width`.
// A text longer than the field is cut to it, so it can never spill into its neighbour.
QByteArray EncodeField(const QString& text, int width, bool scramble);

// A scrambled field read back: trailing blanks removed, unscrambled, and `blankTwins`
// characters 0xDF put back.
QString DecodeScrambledField(const QByteArray& field, int blankTwins = 0);

// A URL record read back: zero bytes (a record never written) count as blanks.
QString DecodeUrlRecord(const QByteArray& record);

struct PageImage {
    QByteArray page;    // exactly PageFileSize bytes
    QByteArray trailer; // PageTrailerSize bytes, or empty when no field needs it
};
PageImage EncodePage(const QString& password, const ClipArray& clips);

// The counts of a trailer that belongs to `page` (field 0 the password, 1-40 the clips);
// all zero when `trailer` is not a trailer of exactly these page bytes.
std::array<int, ClipCount + 1> TrailerCounts(const QByteArray& page, const QByteArray& trailer);

QByteArray EncodeHidden(const HideArray& hidden);
// Values beyond the end of `bytes` read as 0.
HideArray DecodeHidden(const QByteArray& bytes);

// --- Files (each call opens, uses and closes its one file) ---

// Missing files and records beyond a file's end read as blanks (empty texts) and 0.
QString ReadUrl(const QString& libraryFolder, int slot);
QString ReadPassword(const QString& libraryFolder, int slot);
ClipArray ReadClips(const QString& libraryFolder, int slot);
HideArray ReadHidden(const QString& libraryFolder, int slot);

// The entry files of `slot` in the order an entry is read: URL, password, clips, hide
// flags. Name and colour come from the names file and are left as they are.
void ReadEntryFiles(const QString& libraryFolder, int slot, ClipSet& entry);

// Each writes its record in place (the file grows when needed, never shrinks). False when
// the file could not be written.
bool WriteUrl(const QString& libraryFolder, int slot, const QString& url);
bool WritePage(const QString& libraryFolder, int slot, const QString& password,
               const ClipArray& clips);
bool WriteHidden(const QString& libraryFolder, int slot, const HideArray& hidden);

// URL, page and hide files of `entry.Slot`, in that order; the names record is the
// caller's. Stops at the first file that cannot be written and returns its path in
// `failedPath`.
bool WriteEntryFiles(const QString& libraryFolder, const ClipSet& entry,
                     QString* failedPath = nullptr);

} // namespace kelpo
