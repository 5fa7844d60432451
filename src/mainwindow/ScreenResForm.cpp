#include "mainwindow/ScreenResForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

namespace kelpo {

QString DisplaySettingsPlace(const QString& currentDesktop) {
    struct Place {
        const char* desktop;
        const char* place;
    };
    static constexpr Place Places[] = {
        {"GNOME", "Settings > Displays"},
        {"KDE", "System Settings > Display Configuration"},
        {"XFCE", "Settings Manager > Display"},
    };
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        for (const Place& p : Places)
            if (name.trimmed().compare(QLatin1String(p.desktop), Qt::CaseInsensitive) == 0)
                return QString::fromLatin1(p.place);
    return QStringLiteral("your desktop's display settings");
}

ScreenResForm::ScreenResForm(const QString& currentDesktop, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ScreenResForm"));
    setWindowTitle(QStringLiteral(" Kelpo"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    // The advice names the settings of the desktop the user is on.
    const QString texts[] = {
        QStringLiteral("Kelpo requires a minimum screen resolution of:-"),
        QStringLiteral("800 * 600  -  if you are using standard fonts"),
        QStringLiteral("1152 * 864 -  if you are using standard fonts"),
        QStringLiteral("or"),
        QStringLiteral("1024 * 768 -  if you are using large fonts"),
        QStringLiteral("You can change your screen resolution in %1.")
            .arg(DisplaySettingsPlace(currentDesktop)),
        QStringLiteral("Select a suitable screen resolution then re-start Kelpo"),
    };
    const int count = int(std::size(texts));

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(texts[i], this);
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
