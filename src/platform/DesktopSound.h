#pragma once
// The short notification sound: the desktop's sound theme where a player is there for it,
// else the display's bell, else silence. It plays asynchronously; nothing waits for it.
#include "platform/Sound.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;

namespace kelpo {

namespace sound {

// The command that plays the information sound, or empty when this system has no way:
// canberra-gtk-play (which follows the user's sound theme and settings), else a sound
// player (paplay, pw-play) with a file of the freedesktop theme from the data folders.
// `findProgram` gives a program's path (empty when missing), `fileExists` checks a file.
QStringList SoundCommand(const std::function<QString(const QString&)>& findProgram,
                         const std::function<bool(const QString&)>& fileExists,
                         const QStringList& dataDirs);

} // namespace sound

class DesktopSound : public Sound {
public:
    explicit DesktopSound(QProcessEnvironment env = QProcessEnvironment::systemEnvironment());
    ~DesktopSound() override;

    void PlayAsterisk() override;

private:
    QStringList command_;
    std::unique_ptr<QProcess> player_;
};

} // namespace kelpo
