#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

namespace kelpo {

void QtClipboard::CopyPrivately(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    clipboard->setMimeData(data);
    const int copy = ++copies_;
    QTimer::singleShot(ClearAfterMs, &context_, [this, copy, text] {
        // Only our latest copy, and only while the clipboard still holds it.
        QClipboard* now = QGuiApplication::clipboard();
        if (copy == copies_ && now && now->text() == text)
            now->clear();
    });
}

} // namespace kelpo
