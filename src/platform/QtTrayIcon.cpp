#include "platform/QtTrayIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

namespace kelpo {

namespace {

QIcon ProgramIcon() {
    // The application's icon when it has one: the same picture, already decoded.
    if (!QApplication::windowIcon().isNull())
        return QApplication::windowIcon();
    QIcon icon(QStringLiteral(":/kelpo/kelpo.png"));
    if (!icon.isNull())
        return icon;
    // Without an icon Qt shows nothing at all; a plain mark is better than no way back.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 120, 90));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 28, 28, 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("K"));
    return QIcon(pixmap);
}

} // namespace

QtTrayIcon::QtTrayIcon() = default;

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::Ensure() {
    if (icon_)
        return true;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    icon_ = std::make_unique<QSystemTrayIcon>(ProgramIcon());
    icon_->setToolTip(QStringLiteral("Kelpo"));
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Qt reports the press; a left press restores, a right press offers the menu.
                if (reason == QSystemTrayIcon::Trigger && onLeftClick)
                    onLeftClick();
                else if (reason == QSystemTrayIcon::Context && onRightClick)
                    onRightClick();
            });
    hostSeen_ = QSystemTrayIcon::isSystemTrayAvailable();
    watch_ = new QTimer(this);
    watch_->setInterval(1000);
    connect(watch_, &QTimer::timeout, this, &QtTrayIcon::CheckHost);
    watch_->start();
    return true;
}

void QtTrayIcon::CheckHost() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == hostSeen_)
        return;
    hostSeen_ = available;
    if (available && onAvailable)
        onAvailable();
    else if (!available && onLost)
        onLost();
}

bool QtTrayIcon::IsAvailable() {
    return Ensure() && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::Show() {
    if (Ensure())
        icon_->show();
}

void QtTrayIcon::Hide() {
    if (icon_)
        icon_->hide();
}

bool QtTrayIcon::IsVisible() {
    return icon_ && icon_->isVisible();
}

} // namespace kelpo
