#pragma once
// The in-place editor of a library's name, laid over its button: at most 13 characters,
// and only characters the names file can hold. Enter (on its release) or losing the focus
// asks for the name to be stored; Esc does nothing, for there is no cancel.
#include <QLineEdit>

namespace kelpo {

class LibNames : public QLineEdit {
    Q_OBJECT
public:
    explicit LibNames(QWidget* parent);

signals:
    void storeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace kelpo
