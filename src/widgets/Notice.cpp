#include "widgets/Notice.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace kelpo {

void ShowNotice(QWidget* parent, const QString& text) {
    QPointer<QWidget> owner = parent;
    QTimer::singleShot(0, [owner, text] {
        auto* box =
            new QMessageBox(QMessageBox::Information, QStringLiteral(" Kelpo"), text,
                            QMessageBox::Ok, owner && owner->isVisible() ? owner.data() : nullptr);
        box->setObjectName(QStringLiteral("Notice"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
}

} // namespace kelpo
