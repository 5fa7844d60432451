#pragma once
// Walks a window's Tab chain the way a keyboard user does and checks that every stop can
// be seen: the control is visible and looks different while it has the focus.
#include <QApplication>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <QtTest>

#include <utility>
#include <vector>

namespace kelpo {

// The object names of the stops Tab reaches in `window`, in order, once round from `from`
// (the first name is the stop after it). A stop that is hidden or shows no focus mark is
// named with a "!" in front, so a comparison of the whole list shows it.
inline QStringList TabChain(QWidget* window, QWidget* from) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return {QStringLiteral("!window not active")};
    from->setFocus(Qt::OtherFocusReason);
    std::vector<std::pair<QWidget*, QImage>> stops;
    for (int i = 0; i < 200; ++i) {
        QWidget* from = QApplication::focusWidget();
        QTest::keyClick(from ? from : window, Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        if (!at || (!stops.empty() && at == stops.front().first))
            break;
        stops.emplace_back(at, at->grab().toImage());
    }
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    QStringList names;
    for (const auto& [widget, focused] : stops) {
        const bool seen = widget->isVisible() && widget->width() > 1 && widget->height() > 1 &&
                          widget->grab().toImage() != focused;
        names << (seen ? QString() : QStringLiteral("!")) + widget->objectName();
    }
    return names;
}

} // namespace kelpo
