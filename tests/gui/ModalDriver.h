#pragma once
// Drives a modal window that the code under test opens and waits in: runs `act` on the
// modal window named `name` as soon as it is up (polled, since the test itself is blocked
// inside that window's event loop). A window that does not come within the deadline, or
// an unexpected one that stays up instead, fails the test at once and is closed, so the
// test ends instead of hanging.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace kelpo {

class OnModal {
public:
    OnModal(const QString& name, std::function<void(QWidget*)> act, int deadlineMs = 5000) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, name, act, deadlineMs] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == name && modal->isVisible()) {
                timer_.stop();
                fired = true;
                act(modal);
            } else if (clock_.elapsed() > deadlineMs) {
                timer_.stop();
                const QString found = modal ? modal->objectName() : QStringLiteral("none");
                QTest::qFail(
                    qPrintable(QStringLiteral("modal window %1 did not come in time (up: %2)")
                                   .arg(name, found)),
                    __FILE__, __LINE__);
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else if (modal)
                    modal->close();
            }
        });
        timer_.start(5);
    }

    bool fired = false;

private:
    QTimer timer_;
    QElapsedTimer clock_;
};

} // namespace kelpo
