#pragma once
// The clipboard, for desktops where the program cannot type: a clip is copied for the user
// to paste instead.
#include <QString>

namespace kelpo {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts `text` on the clipboard, marked for clipboard managers not to keep in their
    // history, and takes it off again after a while if it is still there.
    virtual void CopyPrivately(const QString& text) = 0;
};

} // namespace kelpo
