#include "widgets/QuickHelp.h"

namespace kelpo {

QString HelpForLabel(const QString& text) {
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace kelpo
