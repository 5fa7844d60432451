#include "entries/ClipSet.h"

namespace kelpo {

QString StoredName(const QString& nameField) {
    // Compared without trimming: a name of blanks is kept as typed.
    return nameField.isEmpty() ? QStringLiteral("Untitled") : nameField;
}

} // namespace kelpo
