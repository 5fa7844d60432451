// Kelpo: wires the real platform into the program and starts it.
#include "app/FontWarmup.h"
#include "app/RealPlatform.h"
#include "app/Startup.h"
#include "core/Version.h"
#include "storage/DataFolder.h"
#include "storage/Program.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

bool HasDisplayFor(const QStringList& arguments) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    return arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

// Test hook for the end-to-end tests: KELPO_TEST_STOP_AT=<operation>:<step> (say
// "swap:2") stops the program right before that file step, so that the test can kill it
// there and check what the next start makes of the files.
void InstallStopHook(kelpo::Program& program) {
    const QStringList stopAt = qEnvironmentVariable("KELPO_TEST_STOP_AT").split(':');
    if (stopAt.size() != 2)
        return;
    const QString operation = stopAt[0];
    const int step = stopAt[1].toInt();
    program.fileStepHook = [operation, step](const QString& name, int at) {
        if (name == operation && at == step)
            std::raise(SIGSTOP);
        return true;
    };
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString name = QStringLiteral("kelpo");

    // Help and version need no display, so they come before the application object.
    const kelpo::CommandLine early = kelpo::ParseCommandLine(arguments, false);
    if (!early.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name),
                     qPrintable(early.error), qPrintable(name));
        return 2;
    }
    if (early.help) {
        std::fputs(qPrintable(kelpo::UsageText(name)), stdout);
        return 0;
    }
    if (early.version) {
        std::printf("%s\n", kelpo::ProgramVersionText);
        return 0;
    }
    if (!HasDisplayFor(arguments)) {
        std::fprintf(stderr, "%s: no graphical display (DISPLAY is not set)\n", qPrintable(name));
        return 1;
    }

    kelpo::FontWarmup fonts;

    // The per-user data folder is named after these: ~/.local/share/Kelpo/Kelpo.
    QCoreApplication::setOrganizationName(QStringLiteral("Kelpo"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelpo"));
    QCoreApplication::setApplicationVersion(QLatin1String(kelpo::ProgramVersion));
    // The desktop entry's name: on Wayland it is the id the windows carry, by which the
    // desktop finds the icon and the program tells its own windows from others.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.kelpo.Kelpo"));
    QApplication app(argc, argv);
    fonts.ApplicationReady();
    // The worker reads Qt's font database, so on every way out of here (a second start
    // that hands over and ends at once among them) it ends before the application does.
    const auto joinFonts = qScopeGuard([&fonts] { fonts.Finish(); });
    // Every window of the program, message boxes included, carries its icon. The reader is
    // told the format and not to guess: guessing loads every image plugin to ask each one.
    QImageReader iconReader(QStringLiteral(":/kelpo/kelpo.png"), "png");
    iconReader.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(iconReader.read())));
    // The main window decides when the program ends (its close box may only minimise it
    // to the tray); closing a message box while it is away must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt has taken its own options out by now; anything else left is a mistake.
    const kelpo::CommandLine line = kelpo::ParseCommandLine(QCoreApplication::arguments(), true);
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name), qPrintable(line.error),
                     qPrintable(name));
        return 2;
    }

    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString folder =
        kelpo::ResolveDataFolder(line.dataDir, qEnvironmentVariable(kelpo::DataFolderVariable),
                                 QCoreApplication::applicationDirPath(), perUser);
    // A folder that cannot be made shows up at the first write, with one message.
    kelpo::MakeDataFolder(folder, perUser);

    kelpo::Program program;
    kelpo::RealPlatform platform;
    program.platform = platform.Get();
    InstallStopHook(program);

    // The windows come next; the first text waits for the fonts.
    kelpo::Startup startup(program);
    startup.SetBeforeFirstText([&fonts] { fonts.Finish(); });
    if (!startup.Main(folder))
        return startup.ExitCode();
    // Made once the main window is up; until then nothing can be typed, and nothing asks.
    QTimer::singleShot(0, [&] { program.platform.keys = platform.CreateKeySender(); });
    return QApplication::exec();
}
