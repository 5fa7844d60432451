#include "mainwindow/ScreenResForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelpo {

ScreenResForm::ScreenResForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ScreenResForm"));
    setWindowTitle(QStringLiteral(" Kelpo"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    const char* const texts[] = {
        "Kelpo requires a minimum screen resolution of:-",
        "800 * 600  -  if you are using standard fonts",
        "1152 * 864 -  if you are using standard fonts",
        "or",
        "1024 * 768 -  if you are using large fonts",
        "You can change your screen resolution from the Windows Control Panel.",
        "Locate \"Display\" and click the \"Settings\" tab.",
        "Select a suitable screen resolution then re-start Kelpo",
    };

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    for (int i = 0; i < 8; ++i) {
        auto* label = new QLabel(QString::fromLatin1(texts[i]), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        // The three sizes stand indented under the heading, the advice after a gap.
        if (i >= 1 && i <= 4)
            label->setIndent(24);
        if (i == 5)
            layout->addSpacing(12);
        layout->addWidget(label);
    }
    layout->addSpacing(8);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addStretch();
    layout->addLayout(buttons);

    setSizeGripEnabled(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ScreenResForm::CentreOn(const QRect& screen) {
    adjustSize();
    move(screen.left() + (screen.width() - width()) / 2,
         screen.top() + (screen.height() - height()) / 2);
}

} // namespace kelpo
