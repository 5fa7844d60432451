#pragma once
// The notice shown at start-up when the screen cannot hold the main window; the program
// ends when it is closed.
#include <QDialog>

namespace kelpo {

class ScreenResForm : public QDialog {
    Q_OBJECT
public:
    explicit ScreenResForm(QWidget* parent = nullptr);

    // Centres the notice on the screen whose geometry (pixels) is given.
    void CentreOn(const QRect& screen);
};

} // namespace kelpo
