#include "mainwindow/Search.h"

namespace kelpo {

FirstLetterSearch::Change FirstLetterSearch::Press(char16_t key, const QString* names) {
    Change change;
    // Lower-case the key the same way the names are lower-cased, so "É" finds "émile" too.
    key = QChar(key).toLower().unicode();
    if (highlighted_)
        change.restored = position_ - 1;
    highlighted_ = false;
    // A different letter starts from the top; the same one goes on after the last match.
    if (letter_ != key)
        position_ = 0;
    for (int i = position_; i < SearchableSlots; ++i) {
        const QString& name = names[i];
        if (name.isEmpty())
            continue;
        letter_ = name.at(0).toLower().unicode();
        if (letter_ == key) {
            position_ = i + 1;
            highlighted_ = true;
            change.highlighted = i;
            return change;
        }
    }
    position_ = 0;
    return change;
}

int FirstLetterSearch::Clear() {
    const int slot = Highlighted();
    position_ = 0;
    highlighted_ = false;
    return slot;
}

} // namespace kelpo
