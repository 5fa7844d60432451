#include "app/Startup.h"

#include <utility>

#include "app/WindowShell.h"
#include "entries/LibraryOps.h"
#include "mainwindow/Pages.h"
#include "mainwindow/ScreenResForm.h"
#include "platform/QtClipboard.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"
#include "storage/OldLayout.h"
#include "storage/Program.h"
#include "storage/Settings.h"
#include "storage/SingleInstance.h"
#include "storage/StartFiles.h"
#include "widgets/Notice.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace kelpo {

namespace {

int ToPixels(int twips, double twipsPerPixel) {
    return int(std::lround(twips / twipsPerPixel));
}

int ToTwips(int pixels, double twipsPerPixel) {
    return int(std::lround(pixels * twipsPerPixel));
}

// One message, shown once, when the data folder cannot be written. It is queued so that
// it never opens in the middle of the operation whose write failed, and it does not
// block: the program goes on with what it has in memory.
void ShowWriteFailure(Program& program, const QString& path) {
    QPointer<QWidget> parent = ShellOf(program).MainWindow();
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    QTimer::singleShot(0, [parent, folder] {
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral(" Kelpo"),
            QStringLiteral("Kelpo cannot save its data in the folder\n%1\n\n"
                           "The folder cannot be written: it may be read-only, or the disk "
                           "may be full. Kelpo goes on working, but changes made now will "
                           "not be kept.")
                .arg(folder),
            QMessageBox::Ok, parent && parent->isVisible() ? parent.data() : nullptr);
        box->setObjectName(QStringLiteral("WriteFailure"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
}

// One message, shown once, when a clip is clicked on a desktop that gives the program no
// way to type into other programs.
void ShowCannotType(Program& program) {
    const QString platform = QGuiApplication::platformName();
    QString why;
    if (platform == u"wayland")
        why = QStringLiteral("This Wayland desktop does not let programs type into the windows "
                             "of other programs (it offers them no virtual keyboard). GNOME and "
                             "KDE Plasma are such desktops today; on sway and other desktops "
                             "built on wlroots, and in an X11 session (at the log-in screen, "
                             "often called \"on Xorg\"), clips are typed as usual.");
    else if (platform == u"xcb")
        why = QStringLiteral("The X server does not offer the XTEST extension, which Kelpo "
                             "types through.");
    else
        why = QStringLiteral("Kelpo runs on the \"%1\" display platform, which cannot send "
                             "keys to other programs.")
                  .arg(platform);
    ShowNotice(ShellOf(program).MainWindow(),
               QStringLiteral("Kelpo cannot type clips into other programs on this desktop.\n\n"
                              "%1\n\nA click on a clip copies it instead: click into the "
                              "page's field and paste it with Ctrl+V. What Kelpo copies leaves "
                              "the clipboard after %2 seconds and is marked for clipboard "
                              "managers not to keep. Auto Insert and key commands such as "
                              "{Tab} need typing and do nothing here.\n\nEverything else "
                              "(your entries, notes and libraries, and opening the bookmarks) "
                              "works as usual.")
                   .arg(why)
                   .arg(QtClipboard::ClearAfterMs / 1000));
}

} // namespace

QSize ScreenInfo::SizeInTwips() const {
    return QSize(ToTwips(geometry.width(), twipsPerPixel),
                 ToTwips(geometry.height(), twipsPerPixel));
}

ScreenInfo ScreenInfo::Primary() {
    ScreenInfo info;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        info.geometry = screen->geometry();
        if (screen->logicalDotsPerInchX() > 0)
            info.twipsPerPixel = 1440.0 / screen->logicalDotsPerInchX();
    }
    return info;
}

int PressOffsetFor(double twipsPerPixel) {
    return std::lround(twipsPerPixel) == 15 ? 100 : 50;
}

Startup::Startup(Program& program, const QString& runtimeFolder)
    : program_(program), runtimeFolder_(runtimeFolder) {
    if (!program_.onWriteFailed)
        program_.onWriteFailed = [this](const QString& path) { ShowWriteFailure(program_, path); };
    if (!program_.onCannotType)
        program_.onCannotType = [this] { ShowCannotType(program_); };
}

Startup::~Startup() {
    // Ending the program leaves no tray icon behind.
    if (program_.platform.tray)
        program_.platform.tray->Hide();
    program_.shell = nullptr;
    shell_.reset();
    pages_.reset();
}

bool Startup::Main(const QString& dataFolder) {
    UseDataFolder(program_, dataFolder);
    // The guard comes before the conversion, so that two starts at the same moment never
    // move the same files.
    if (ActivatePreviousInstance())
        return false;
    ConvertOldData(program_);
    // A library move cut short is put right before any library is shown.
    const QStringList notices = RecoverLibraries(program_);
    const bool running = InitializeProgram(ScreenInfo::Primary());
    for (const QString& notice : notices)
        ShowNotice(pages_.get(), notice);
    return running;
}

bool Startup::ActivatePreviousInstance() {
    instance_ = std::make_unique<SingleInstance>(program_.ProgramFolder, runtimeFolder_);
    switch (instance_->ClaimOrNotify()) {
    case SingleInstance::Claim::Notified:
        exitCode_ = 0;
        return true;
    case SingleInstance::Claim::NoAnswer:
        // Running a second copy over the same files could lose changes; say why nothing
        // opens instead.
        QMessageBox::warning(nullptr, QStringLiteral(" Kelpo"),
                             QStringLiteral("Kelpo is already running with the data folder\n"
                                            "%1\nbut does not answer.")
                                 .arg(QDir::toNativeSeparators(program_.ProgramFolder)));
        exitCode_ = 1;
        return true;
    case SingleInstance::Claim::First:
        break;
    }
    QObject::connect(instance_.get(), &SingleInstance::showRequested, [this] { ShowMainWindow(); });
    CreateWindows();
    pages_->setWindowTitle(QStringLiteral(" Kelpo"));
    return false;
}

void Startup::CreateWindows() {
    if (pages_)
        return;
    pages_ = std::make_unique<Pages>(program_);
    // The insertion window is made when an entry is first opened (WindowShell).
    shell_ = std::make_unique<WindowShell>(program_, *pages_);
    program_.shell = shell_.get();
}

QSize Startup::MainWindowTwips(const ScreenInfo& screen) const {
    return QSize(ToTwips(pages_->width(), screen.twipsPerPixel),
                 ToTwips(pages_->height(), screen.twipsPerPixel));
}

bool Startup::InitializeProgram(const ScreenInfo& screen) {
    CreateWindows();
    const QSize screenTwips = screen.SizeInTwips();
    const QSize mainTwips = MainWindowTwips(screen);

    const bool firstRun = LoadSettings(program_, screenTwips, mainTwips);

    if (screenTwips.width() < mainTwips.width() || screenTwips.height() < mainTwips.height()) {
        WaitForFonts();
        ScreenResForm notice(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
        notice.CentreOn(screen.geometry);
        notice.exec();
        exitCode_ = 0;
        return false;
    }

    LoadLibraryFiles(program_, screenTwips, mainTwips);
    pages_->RefreshLibraryButtons();
    // Placed before the window exists on the server: a window made first and moved after
    // asks the window manager to place its inner area, not its frame, at the point given.
    const Settings& s = program_.settings;
    const double tpp = screen.twipsPerPixel;
    pages_->move(ToPixels(s.MainLeft, tpp), ToPixels(s.MainTop, tpp));
    // What needs no font is done while the fonts are still being read: the styles'
    // polish and the window on the X server (shown later).
    pages_->ensurePolished();
    pages_->winId();
    WaitForFonts();
    pages_->RefreshLibraryNames();
    pages_->RefreshNames();

    pages_->ApplyQuickHelpState();
    program_.PressOffset = PressOffsetFor(tpp);

    pages_->show();
    // Only the very first start opens in full view; every later one starts minimised.
    if (!firstRun)
        pages_->Minimize();
    running_ = true;
    return true;
}

void Startup::WaitForFonts() {
    if (beforeFirstText_)
        std::exchange(beforeFirstText_, nullptr)();
}

void Startup::ShowMainWindow() {
    if (!pages_ || !running_)
        return;
    pages_->RestoreFromTray();
    // Qt's own activation may be refused as focus stealing; the window system's is not.
    if (WindowSystem* windows = program_.platform.windows)
        windows->BringToForeground(pages_->winId(), 500);
}

} // namespace kelpo
