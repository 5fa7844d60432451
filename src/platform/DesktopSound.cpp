#include "platform/DesktopSound.h"

#include "platform/DesktopBrowser.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>

namespace kelpo {

namespace sound {

QStringList SoundCommand(const std::function<QString(const QString&)>& findProgram,
                         const std::function<bool(const QString&)>& fileExists,
                         const QStringList& dataDirs) {
    const QString canberra = findProgram(QStringLiteral("canberra-gtk-play"));
    if (!canberra.isEmpty())
        return {canberra, QStringLiteral("--id=dialog-information"),
                QStringLiteral("--description=Kelpo")};
    QString file;
    for (const QString& name : {QStringLiteral("dialog-information"), QStringLiteral("bell"),
                                QStringLiteral("message")}) {
        for (const QString& dir : dataDirs) {
            const QString path =
                dir + QStringLiteral("sounds/freedesktop/stereo/") + name + QStringLiteral(".oga");
            if (fileExists(path)) {
                file = path;
                break;
            }
        }
        if (!file.isEmpty())
            break;
    }
    if (file.isEmpty())
        return {};
    for (const QString& player : {QStringLiteral("paplay"), QStringLiteral("pw-play")}) {
        const QString found = findProgram(player);
        if (!found.isEmpty())
            return {found, file};
    }
    return {};
}

} // namespace sound

DesktopSound::DesktopSound(QProcessEnvironment env) {
    command_ = sound::SoundCommand(
        [&env](const QString& program) { return desktop::FindProgram(program, env); },
        [](const QString& path) { return QFileInfo(path).isFile(); }, desktop::DataDirs(env));
}

DesktopSound::~DesktopSound() {
    if (player_ && player_->state() != QProcess::NotRunning) {
        // A sound still playing at exit is cut short rather than waited for.
        player_->disconnect();
        player_->kill();
        player_->waitForFinished(500);
    }
}

void DesktopSound::PlayAsterisk() {
    if (command_.isEmpty()) {
        QApplication::beep();
        return;
    }
    if (player_ && player_->state() != QProcess::NotRunning)
        return; // the last one is still sounding
    player_ = std::make_unique<QProcess>();
    player_->setStandardInputFile(QProcess::nullDevice());
    player_->setStandardOutputFile(QProcess::nullDevice());
    player_->setStandardErrorFile(QProcess::nullDevice());
    // A player that cannot play (no sound server, say) falls back to the bell.
    QObject::connect(player_.get(), &QProcess::errorOccurred, [](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            QApplication::beep();
    });
    QObject::connect(player_.get(), &QProcess::finished, [](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            QApplication::beep();
    });
    player_->start(command_.first(), command_.mid(1));
}

} // namespace kelpo
