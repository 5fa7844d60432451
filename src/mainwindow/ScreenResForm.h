#pragma once
// The notice shown at start-up when the screen cannot hold the main window; the program
// ends when it is closed.
#include <QDialog>
#include <QString>

namespace kelpo {

// Where the user changes the screen resolution on the desktop named by
// `currentDesktop` (XDG_CURRENT_DESKTOP: names separated by colons, as "ubuntu:GNOME");
// a general phrase for a desktop we do not know.
QString DisplaySettingsPlace(const QString& currentDesktop);

class ScreenResForm : public QDialog {
    Q_OBJECT
public:
    // `currentDesktop` as XDG_CURRENT_DESKTOP gives it; it names the display settings.
    explicit ScreenResForm(const QString& currentDesktop, QWidget* parent = nullptr);

    // Centres the notice on the screen whose geometry (pixels) is given.
    void CentreOn(const QRect& screen);
};

} // namespace kelpo
