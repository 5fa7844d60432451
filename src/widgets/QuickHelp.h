#pragma once
// A quick-help panel's title and text, as the help tables give them.
#include <QString>

namespace kelpo {

struct HelpText {
    QString title;
    QString text; // lines joined by CR LF
};

// `text` as a label shows it: CR LF line breaks as plain line feeds.
QString HelpForLabel(const QString& text);

} // namespace kelpo
