#include "mainwindow/LibNames.h"

#include "core/Ansi.h"
#include "storage/Names.h"

#include <QKeyEvent>
#include <QValidator>

namespace kelpo {

namespace {

// Refuses what the names file could not hold, rather than storing it as '?'.
class AnsiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return IsAnsiText(input) ? Acceptable : Invalid;
    }
};

bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

LibNames::LibNames(QWidget* parent) : QLineEdit(parent) {
    setObjectName("LibNames");
    setMaxLength(LibraryNameLength);
    setValidator(new AnsiValidator(this));
    setAccessibleName(QStringLiteral("Library name"));
}

void LibNames::keyPressEvent(QKeyEvent* event) {
    // Both are the editor's alone: the window must not minimise or open an entry.
    if (event->key() == Qt::Key_Escape || IsEnter(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LibNames::keyReleaseEvent(QKeyEvent* event) {
    if (IsEnter(event) && !event->isAutoRepeat()) {
        event->accept();
        emit storeRequested();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

void LibNames::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isVisible())
        emit storeRequested();
}

} // namespace kelpo
