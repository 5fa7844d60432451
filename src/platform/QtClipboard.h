#pragma once
// The desktop's clipboard through Qt. What is copied carries the hint clipboard managers
// (KDE's among them) read as "a password: keep no copy", and leaves the clipboard after
// `ClearAfterMs` unless something else was copied meanwhile.
#include "platform/Clipboard.h"

#include <QObject>

namespace kelpo {

class QtClipboard : public Clipboard {
public:
    static constexpr int ClearAfterMs = 30000;
    void CopyPrivately(const QString& text) override;

private:
    QObject context_; // ends the pending clear with the program
    int copies_ = 0;
};

} // namespace kelpo
