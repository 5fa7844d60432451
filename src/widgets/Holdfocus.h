#pragma once
// The focus holder: an invisible control that takes the keyboard focus whenever a window
// wants no visible control to show a focus frame. It is no Tab stop, and it leaves the
// focus alone while the user moves about the window with the keyboard.
#include <QWidget>

namespace kelpo {

class Holdfocus : public QWidget {
    Q_OBJECT
public:
    explicit Holdfocus(QWidget* parent);

    // Takes the focus, unless a visible control of the window got it from the keyboard
    // (Tab goes on from there, and its focus frame shows where the keyboard is).
    void Take();
};

} // namespace kelpo
