// Writes one entry into a library folder for the end-to-end tests, through the program's
// own file code, so a test starts from a data folder a user could have.
//
//   makeentry --library DIR --slot N --name NAME [--url URL] [--password PW]
//             [--hidden 1,4] [--color RRGGBB] [--] CLIP...
//
// The names file gets the entry's record (created with blank, white slots when missing).
#include "entries/ClipSet.h"
#include "entries/PageFiles.h"
#include "storage/Names.h"
#include "storage/Program.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace kelpo;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"library", "library folder", "dir"});
    parser.addOption({"slot", "slot 0-50", "n", "0"});
    parser.addOption({"name", "entry name", "name"});
    parser.addOption({"url", "bookmark", "url"});
    parser.addOption({"password", "entry password", "pw"});
    parser.addOption({"hidden", "comma-separated rows masked by stars", "rows"});
    parser.addOption({"color", "the name's colour, as RRGGBB", "rgb", "FFFFFF"});
    parser.addPositionalArgument("clips", "the clips, in order");
    parser.process(app);

    QString folder = parser.value("library");
    if (!folder.endsWith('/'))
        folder += '/';
    QDir().mkpath(folder);
    ClipSet entry;
    entry.Slot = parser.value("slot").toInt();
    entry.Name = parser.value("name");
    entry.Url = parser.value("url");
    entry.Password = parser.value("password");
    bool isColor = false;
    const std::uint32_t rgb = parser.value("color").toUInt(&isColor, 16);
    if (!isColor || parser.value("color").size() != 6) {
        std::fprintf(stderr, "makeentry: --color wants RRGGBB\n");
        return 2;
    }
    // Stored the Windows way round: blue in the high byte.
    entry.Color = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
    const QStringList clips = parser.positionalArguments();
    for (int i = 0; i < clips.size() && i < ClipCount; ++i)
        entry.Clips[i] = clips[i];
    for (const QString& row : parser.value("hidden").split(',', Qt::SkipEmptyParts))
        entry.Hidden[row.toInt()] = 1;

    QString failed;
    if (!WriteEntryFiles(folder, entry, &failed)) {
        std::fprintf(stderr, "makeentry: cannot write %s\n", qPrintable(failed));
        return 1;
    }
    Program program;
    if (!WriteNameRecord(program, folder, entry.Slot, entry.Name, entry.Color)) {
        std::fprintf(stderr, "makeentry: cannot write the names file\n");
        return 1;
    }
    return 0;
}
