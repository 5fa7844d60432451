#include "entries/PageFiles.h"

#include "core/Ansi.h"
#include "storage/DataFile.h"

#include <QCryptographicHash>

namespace kelpo {

namespace {

QByteArray PageDigest(const QByteArray& page) {
    return QCryptographicHash::hash(page, QCryptographicHash::Sha256);
}

// Number of 0xDF characters `text` ends in.
int TrailingBlankTwins(const QByteArray& ansi) {
    int n = 0;
    for (qsizetype i = ansi.size() - 1; i >= 0 && static_cast<unsigned char>(ansi[i]) == BlankTwin;
         --i)
        ++n;
    return n;
}

QByteArray FieldAt(const QByteArray& page, int field) {
    if (field == 0)
        return page.mid(0, PasswordFieldSize);
    return page.mid(PasswordFieldSize + (field - 1) * ClipFieldSize, ClipFieldSize);
}

struct PageRead {
    QByteArray page; // PageFileSize bytes, blanks beyond the file's end
    std::array<int, ClipCount + 1> counts{};
};

PageRead ReadPageFile(const QString& path) {
    PageRead result;
    DataFile file(path);
    result.page = file.ReadPadded(0, PageFileSize);
    if (file.Length() >= PageFileSize + PageTrailerSize)
        result.counts = TrailerCounts(result.page, file.ReadAt(PageFileSize, PageTrailerSize));
    return result;
}

} // namespace

QString UrlFilePath(const QString& libraryFolder) {
    return libraryFolder + QStringLiteral("url.dat");
}

QString PageFilePath(const QString& libraryFolder, int slot) {
    return libraryFolder + QStringLiteral("Page%1.dat").arg(slot);
}

QString HideFilePath(const QString& libraryFolder, int slot) {
    return libraryFolder + QStringLiteral("Page%1.h").arg(slot);
}

QString NoteFilePath(const QString& libraryFolder, int slot) {
    return libraryFolder + QStringLiteral("Note%1.txt").arg(slot);
}

QByteArray ScrambleText(QByteArray& text) {
    for (char& c : text)
        c = static_cast<char>(255 - static_cast<unsigned char>(c));
    return text;
}

QString ScrambleText(QString& text) {
    QByteArray bytes = ToAnsi(text);
    text = FromAnsi(ScrambleText(bytes));
    return text;
}

QByteArray EncodeField(const QString& text, int width, bool scramble) {
    QByteArray bytes = ToAnsi(text).left(width);
    if (scramble)
        ScrambleText(bytes);
    // Scrambling comes first: the padding blanks are plain.
    return PadRight(bytes, width);
}

QString DecodeScrambledField(const QByteArray& field, int blankTwins) {
    // Trailing blanks go first: they are the padding.
    QByteArray bytes = TrimRight(field);
    ScrambleText(bytes);
    bytes.append(QByteArray(blankTwins, static_cast<char>(BlankTwin)));
    return FromAnsi(bytes);
}

QString DecodeUrlRecord(const QByteArray& record) {
    QByteArray bytes = record;
    bytes.replace('\0', ' ');
    return FromAnsi(TrimRight(bytes));
}

PageImage EncodePage(const QString& password, const ClipArray& clips) {
    PageImage image;
    image.page.reserve(PageFileSize);
    std::array<int, ClipCount + 1> counts{};
    bool needTrailer = false;
    auto add = [&](const QString& text, int width, int field) {
        const QByteArray ansi = ToAnsi(text).left(width);
        counts[field] = TrailingBlankTwins(ansi);
        needTrailer = needTrailer || counts[field] > 0;
        image.page += EncodeField(text, width, true);
    };
    add(password, PasswordFieldSize, 0);
    for (int i = 0; i < ClipCount; ++i)
        add(clips[i], ClipFieldSize, i + 1);
    if (needTrailer) {
        image.trailer = QByteArray(PageTrailerTag, PageTrailerTagSize);
        for (int n : counts)
            image.trailer.append(static_cast<char>(n));
        image.trailer += PageDigest(image.page);
    }
    return image;
}

std::array<int, ClipCount + 1> TrailerCounts(const QByteArray& page, const QByteArray& trailer) {
    std::array<int, ClipCount + 1> counts{};
    if (trailer.size() < PageTrailerSize || page.size() != PageFileSize ||
        !trailer.startsWith(QByteArray(PageTrailerTag, PageTrailerTagSize)) ||
        trailer.mid(PageTrailerTagSize + ClipCount + 1, 32) != PageDigest(page))
        return counts;
    for (int f = 0; f <= ClipCount; ++f) {
        const int n = static_cast<unsigned char>(trailer[PageTrailerTagSize + f]);
        const int width = f == 0 ? PasswordFieldSize : ClipFieldSize;
        // A count is only believed where the field really ends in that many blanks.
        const QByteArray field = FieldAt(page, f);
        const qsizetype textEnd = TrimRight(field).size();
        if (n <= width && n <= field.size() - textEnd)
            counts[f] = n;
    }
    return counts;
}

QByteArray EncodeHidden(const HideArray& hidden) {
    QByteArray bytes;
    bytes.reserve(HideFileSize);
    for (std::int16_t v : hidden) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes.append(static_cast<char>(u & 0xFF));
        bytes.append(static_cast<char>(u >> 8));
    }
    return bytes;
}

HideArray DecodeHidden(const QByteArray& bytes) {
    HideArray hidden{};
    for (int i = 0; i < ClipCount && 2 * i + 1 < bytes.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        hidden[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    return hidden;
}

QString ReadUrl(const QString& libraryFolder, int slot) {
    DataFile file(UrlFilePath(libraryFolder));
    return DecodeUrlRecord(file.ReadPadded(qint64(slot) * UrlRecordSize, UrlRecordSize));
}

QString ReadPassword(const QString& libraryFolder, int slot) {
    const PageRead read = ReadPageFile(PageFilePath(libraryFolder, slot));
    return DecodeScrambledField(FieldAt(read.page, 0), read.counts[0]);
}

ClipArray ReadClips(const QString& libraryFolder, int slot) {
    const PageRead read = ReadPageFile(PageFilePath(libraryFolder, slot));
    ClipArray clips;
    for (int i = 0; i < ClipCount; ++i)
        clips[i] = DecodeScrambledField(FieldAt(read.page, i + 1), read.counts[i + 1]);
    return clips;
}

HideArray ReadHidden(const QString& libraryFolder, int slot) {
    DataFile file(HideFilePath(libraryFolder, slot));
    return DecodeHidden(file.ReadAt(0, HideFileSize));
}

void ReadEntryFiles(const QString& libraryFolder, int slot, ClipSet& entry) {
    entry.Slot = slot;
    entry.Url = ReadUrl(libraryFolder, slot);
    entry.Password = ReadPassword(libraryFolder, slot);
    entry.Clips = ReadClips(libraryFolder, slot);
    entry.Hidden = ReadHidden(libraryFolder, slot);
}

bool WriteUrl(const QString& libraryFolder, int slot, const QString& url) {
    DataFile file(UrlFilePath(libraryFolder));
    return file.WriteAt(qint64(slot) * UrlRecordSize, EncodeField(url, UrlRecordSize, false));
}

bool WritePage(const QString& libraryFolder, int slot, const QString& password,
               const ClipArray& clips) {
    const PageImage image = EncodePage(password, clips);
    const QString path = PageFilePath(libraryFolder, slot);
    // The whole file is rewritten at once; whatever lay beyond the page stays.
    QByteArray bytes = ReadWholeFile(path);
    bytes = PadRight(bytes, PageFileSize);
    bytes.replace(0, PageFileSize, image.page);
    const QByteArray tag(PageTrailerTag, PageTrailerTagSize);
    if (!image.trailer.isEmpty()) {
        bytes = PadRight(bytes, PageFileSize + PageTrailerSize);
        bytes.replace(PageFileSize, PageTrailerSize, image.trailer);
    } else if (bytes.mid(PageFileSize, PageTrailerTagSize) == tag) {
        // A trailer left from an earlier save would still match these bytes when the
        // texts differ only in the characters it counts, so it is struck out.
        bytes.replace(PageFileSize, PageTrailerTagSize, QByteArray(PageTrailerTagSize, ' '));
    }
    return ReplaceWholeFile(path, bytes);
}

bool WriteHidden(const QString& libraryFolder, int slot, const HideArray& hidden) {
    const QString path = HideFilePath(libraryFolder, slot);
    QByteArray bytes = ReadWholeFile(path);
    bytes = PadRight(bytes, HideFileSize);
    bytes.replace(0, HideFileSize, EncodeHidden(hidden));
    return ReplaceWholeFile(path, bytes);
}

bool WriteEntryFiles(const QString& libraryFolder, const ClipSet& entry, QString* failedPath) {
    auto fail = [&](const QString& path) {
        if (failedPath)
            *failedPath = path;
        return false;
    };
    if (!WriteUrl(libraryFolder, entry.Slot, entry.Url))
        return fail(UrlFilePath(libraryFolder));
    if (!WritePage(libraryFolder, entry.Slot, entry.Password, entry.Clips))
        return fail(PageFilePath(libraryFolder, entry.Slot));
    if (!WriteHidden(libraryFolder, entry.Slot, entry.Hidden))
        return fail(HideFilePath(libraryFolder, entry.Slot));
    return true;
}

} // namespace kelpo
