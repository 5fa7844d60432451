#pragma once
// The tray icon over Qt's system tray support: tip "Kelpo", the program's icon. A left
// click and a right click on it are handed to the program; a tray host that appears
// after start-up, or goes away, is noticed within a second.
#include "platform/TrayIcon.h"

#include <QObject>

#include <memory>

class QSystemTrayIcon;
class QTimer;

namespace kelpo {

class QtTrayIcon : public QObject, public TrayIcon {
    Q_OBJECT
public:
    QtTrayIcon();
    ~QtTrayIcon() override;

    bool IsAvailable() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() override;

private:
    // The icon is made on first use: Qt's tray needs the application object, which may
    // not exist yet when the platform services are created.
    bool Ensure();
    void CheckHost();

    std::unique_ptr<QSystemTrayIcon> icon_;
    QTimer* watch_ = nullptr;
    bool hostSeen_ = false;
};

} // namespace kelpo
