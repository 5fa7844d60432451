#pragma once
// The focus holder: an invisible control that takes the keyboard focus whenever a window
// wants no visible control to show a focus frame.
#include <QWidget>

namespace kelpo {

class Holdfocus : public QWidget {
    Q_OBJECT
public:
    explicit Holdfocus(QWidget* parent);

    // Takes the focus.
    void Take();
};

} // namespace kelpo
