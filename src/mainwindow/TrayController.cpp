#include "mainwindow/TrayController.h"

#include "platform/TrayIcon.h"
#include "storage/Program.h"

#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace kelpo {

TrayController::TrayController(Program& program, QWidget& window, QMenu& menu)
    : program_(program), window_(window), menu_(&menu) {
    TrayIcon* tray = program_.platform.tray;
    if (!tray)
        return;
    tray->onLeftClick = [this] {
        // The insertion window put away by "Minimize This" comes back first: the icon is
        // its only way back where no task bar lists it.
        if (QWidget* doIt = insertion_.data();
            doIt && doIt->isVisible() && doIt->isMinimized() && menu_ && !menu_->isVisible()) {
            doIt->showNormal();
            HideIcon();
            return;
        }
        if (Away())
            Restore();
    };
    tray->onRightClick = [this] {
        if (Away())
            menu_->popup(QCursor::pos());
    };
    tray->onAvailable = [this] { TrayAppeared(); };
    tray->onLost = [this] { TrayLost(); };
    // Starts the tray's watch for a tray host once the window is up: making the icon may
    // have to reach the session bus, which the window's first appearance need not wait for.
    // Minimising before then makes the icon at once.
    QTimer::singleShot(0, &window_, [this] {
        if (TrayIcon* later = program_.platform.tray)
            later->IsAvailable();
    });
}

TrayController::~TrayController() {
    if (TrayIcon* tray = program_.platform.tray) {
        tray->Hide();
        tray->onLeftClick = nullptr;
        tray->onRightClick = nullptr;
        tray->onAvailable = nullptr;
        tray->onLost = nullptr;
    }
}

void TrayController::SetInsertionWindow(QWidget* window) {
    insertion_ = window;
}

bool TrayController::Away() const {
    // Only a window that is away (in the tray or minimised) comes back by the icon.
    return !(window_.isVisible() && !window_.isMinimized()) && menu_ && !menu_->isVisible();
}

bool TrayController::UseTray() const {
    TrayIcon* tray = program_.platform.tray;
    return program_.settings.MinimizeToTray == 1 && tray && tray->IsAvailable();
}

void TrayController::Minimize() {
    if (UseTray())
        GoToTray();
    else
        window_.showMinimized();
}

void TrayController::GoToTray() {
    TrayIcon* tray = program_.platform.tray;
    tray->Show();
    if (!tray->IsVisible()) {
        // No icon after all: the task bar is the only way back.
        window_.showMinimized();
        return;
    }
    window_.hide();
}

void TrayController::Restore() {
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
    HideIcon();
}

void TrayController::HideIcon() {
    if (program_.platform.tray)
        program_.platform.tray->Hide();
}

void TrayController::TrayAppeared() {
    // Minimised to the task bar only for want of a tray: move there now.
    if (window_.isVisible() && window_.isMinimized() && UseTray())
        GoToTray();
}

void TrayController::TrayLost() {
    // The icon went with the tray: a window hidden in it would have no way back.
    TrayIcon* tray = program_.platform.tray;
    if (!window_.isVisible() && tray && tray->IsVisible()) {
        tray->Hide();
        window_.showMinimized();
    }
}

void TrayController::WindowStateChanged() {
    TrayIcon* tray = program_.platform.tray;
    if (window_.isMinimized()) {
        // Minimised by the window manager's button: go on to the tray when so chosen.
        // Hiding from inside the state change upsets some window managers; do it next.
        if (UseTray())
            QTimer::singleShot(0, &window_, [this] {
                if (window_.isVisible() && window_.isMinimized() && UseTray())
                    GoToTray();
            });
    } else if (tray && tray->IsVisible()) {
        tray->Hide();
    }
}

void TrayController::WindowShown() {
    // Shown by any means (a second start, the insertion window): the icon goes.
    TrayIcon* tray = program_.platform.tray;
    if (!window_.isMinimized() && tray && tray->IsVisible())
        tray->Hide();
}

} // namespace kelpo
