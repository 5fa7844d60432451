#include "mainwindow/AboutForm.h"

#include "core/Version.h"
#include "insertion/BrowserLaunch.h"
#include "platform/WindowSystem.h"
#include "storage/Program.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace kelpo {

AboutForm::AboutForm(Program& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      program_(program) {
    setObjectName("AboutForm");
    setWindowTitle(QStringLiteral("About Kelpo"));
    setFixedSize(TwipsToPixels(5400, this), TwipsToPixels(3120, this));

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture1");
    picture->setAccessibleName(QStringLiteral("Kelpo"));
    const QPixmap logo(QStringLiteral(":/kelpo/kelpo.png"));
    const int side = TwipsToPixels(960, this);
    if (!logo.isNull())
        picture->setPixmap(logo.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setGeometry(TwipsRect(240, 240, 960, 960, this));

    auto* product = new QLabel(QStringLiteral("Kelpo"), this);
    product->setObjectName("ProductLabel");
    QFont big = product->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.8);
    product->setFont(big);
    product->setGeometry(TwipsRect(1440, 270, 3600, 480, this));

    auto* version = new QLabel(QStringLiteral("V") + QLatin1String(ProgramVersion), this);
    version->setObjectName("VersionLabel");
    version->setGeometry(TwipsRect(1440, 780, 3600, 300, this));

    auto* text = new QLabel(
        QStringLiteral(
            "Kelpo upgrades are free. Click the link below to check you have the latest version."),
        this);
    text->setObjectName("TextLabel");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(TwipsRect(240, 1380, 4920, 600, this));

    const QString address = QString::fromLatin1(UpgradesPage);
    auto* url = new QLabel(this);
    url->setObjectName("UrlLabel");
    url->setTextFormat(Qt::RichText);
    url->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
    // A mouse link only: as a Tab stop, a label's link keeps Tab to itself and shows no
    // focus mark; Enter answers OK.
    url->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    url->setFocusPolicy(Qt::NoFocus);
    url->setAccessibleName(address);
    url->setGeometry(TwipsRect(240, 2040, 4920, 300, this));
    connect(url, &QLabel::linkActivated, this, [this] { UrlLabel_MouseUp(1, 0, 0, 0); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("OKButton");
    // Not a default button: one is drawn as if it had the focus all the time, and a
    // keyboard user could not tell where the focus is. Enter still answers OK.
    ok->setAutoDefault(false);
    ok->setGeometry(TwipsRect(4080, 2580, 1080, 360, this));
    connect(ok, &QPushButton::clicked, this, &AboutForm::OKButton_Click);
}

void AboutForm::UrlLabel_MouseUp(int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    program_.CurrentUrl = QString::fromLatin1(UpgradesPage);
    LaunchBrowser(program_);
    linkUsed_ = true;
    accept();
}

void AboutForm::OKButton_Click() {
    accept();
}

void AboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        OKButton_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutForm::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && !event->isAutoRepeat()) {
        ShowHelpPage(program_);
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void AboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Top-most without taking the focus away from where it goes.
    if (WindowSystem* windows = program_.platform.windows)
        QTimer::singleShot(0, this, [this, windows] {
            if (isVisible())
                windows->KeepOnTop(winId());
        });
}

} // namespace kelpo
