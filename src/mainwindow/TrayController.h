#pragma once
// Where the main window goes when it is minimised: to the tray when the options say so
// and a tray is there, else to the task bar; and how it comes back (the tray icon's left
// click, its menu on the right click, a tray host that appears or goes away).
#include <QPointer>

class QMenu;
class QWidget;

namespace kelpo {

struct Program;

class TrayController {
public:
    // `window` is the main window; `menu` opens on a right click of the icon.
    TrayController(Program& program, QWidget& window, QMenu& menu);
    ~TrayController();
    TrayController(const TrayController&) = delete;
    TrayController& operator=(const TrayController&) = delete;

    // The insertion window, which "Minimize This" may leave with the icon as its way back.
    void SetInsertionWindow(QWidget* window);

    bool UseTray() const;
    // To the tray or the task bar.
    void Minimize();
    // Back in the normal state, in front; the icon goes.
    void Restore();
    // The window's own events: minimised by the window manager, shown by any means.
    void WindowStateChanged();
    void WindowShown();
    // The icon goes for good (the program ends).
    void HideIcon();

private:
    void GoToTray();
    void TrayAppeared();
    void TrayLost();
    bool Away() const;

    Program& program_;
    QWidget& window_;
    QPointer<QMenu> menu_;
    QPointer<QWidget> insertion_;
};

} // namespace kelpo
