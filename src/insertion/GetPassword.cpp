#include "insertion/GetPassword.h"

#include "insertion/Delform.h"
#include "platform/Sound.h"
#include "storage/Program.h"
#include "widgets/Shell.h"
#include "widgets/Twips.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kelpo {

namespace {

QString UpperEachLetter(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

// Long enough to be read, short enough not to stand beside the next try.
constexpr int WrongNoticeMs = 3000;

bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

bool PasswordMatches(const QString& typed, const QString& stored) {
    return UpperEachLetter(typed) == UpperEachLetter(stored);
}

QPoint PromptPosition(const QRect& mainFrame, int labelTop, int promptHeight, int slot,
                      int columnPitchPixels) {
    int top = mainFrame.top() + labelTop;
    if (top + promptHeight > mainFrame.top() + mainFrame.height())
        top = mainFrame.top() + mainFrame.height() - promptHeight;
    const int left = mainFrame.left() + columnPitchPixels * (slot / NamesPerColumn);
    return {left, top};
}

GetPassword::GetPassword(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setObjectName(QStringLiteral("GetPassword"));
    setWindowTitle(QStringLiteral(" Enter Password"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setEchoMode(QLineEdit::Password);
    text1_->setMaxLength(PasswordMaxLength);
    // Every typed character shows as a star.
    text1_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    text1_->setAccessibleName(QStringLiteral("Password"));
    text1_->setMinimumWidth(text1_->fontMetrics().horizontalAdvance(QLatin1Char('*')) *
                            (PasswordMaxLength + 4));

    // A wrong password is said here too: there may be no sound device.
    wrongLabel_ = new QLabel(QStringLiteral("Wrong password. Try again."), this);
    wrongLabel_->setObjectName(QStringLiteral("WrongLabel"));
    QPalette red = wrongLabel_->palette();
    red.setColor(QPalette::WindowText, QColor(190, 0, 0));
    wrongLabel_->setPalette(red);
    QFont bold = wrongLabel_->font();
    bold.setBold(true);
    wrongLabel_->setFont(bold);
    // It keeps its room while hidden, so the buttons never jump under the pointer.
    QSizePolicy keep = wrongLabel_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    wrongLabel_->setSizePolicy(keep);
    wrongLabel_->hide();
    wrongTimer_ = new QTimer(this);
    wrongTimer_->setSingleShot(true);
    wrongTimer_->setInterval(WrongNoticeMs);
    connect(wrongTimer_, &QTimer::timeout, wrongLabel_, &QWidget::hide);
    connect(text1_, &QLineEdit::textEdited, wrongLabel_, &QWidget::hide);

    okBtn_ = new QPushButton(QStringLiteral("OK"), this);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    cancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    forgotBtn_ = new QPushButton(QStringLiteral("Forgot Password"), this);
    forgotBtn_->setObjectName(QStringLiteral("ForgotBtn"));
    for (QPushButton* button : {okBtn_, cancelBtn_, forgotBtn_}) {
        // Enter is this window's own key (see HandleEnter), not a default button's.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
    }
    text1_->installEventFilter(this);

    connect(okBtn_, &QPushButton::clicked, this, &GetPassword::OKBtn_Click);
    connect(cancelBtn_, &QPushButton::clicked, this, &GetPassword::CancelBtn_Click);
    connect(forgotBtn_, &QPushButton::clicked, this, &GetPassword::ForgotBtn_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);
    buttons->addStretch(1);
    buttons->addWidget(forgotBtn_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1_);
    layout->addWidget(wrongLabel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    text1_->setFocus();
}

GetPassword::~GetPassword() = default;

void GetPassword::PlaceBesideName(int slot) {
    QWidget* pages = ShellOf(program_).MainWindow();
    if (!pages || slot < 0 || slot >= SlotCount)
        return;
    const QWidget* label = ShellOf(program_).NameLabel(slot);
    if (!label)
        return;
    adjustSize();
    // The prompt's own frame is not known before it is shown; the main window's tells
    // how tall the decoration is.
    const QRect mainFrame = pages->frameGeometry();
    const int decoration = mainFrame.height() - pages->height();
    move(PromptPosition(mainFrame, label->mapTo(pages, QPoint()).y(), height() + decoration, slot,
                        TwipsToPixels(NameColumnPitchTwips, pages)));
}

void GetPassword::OKBtn_Click() {
    if (PasswordMatches(text1_->text(), program_.CurrentPassword)) {
        accept();
        return;
    }
    if (program_.platform.sound)
        program_.platform.sound->PlayAsterisk();
    ShowWrongPassword();
}

void GetPassword::ShowWrongPassword() {
    wrongLabel_->show();
    wrongTimer_->start();
    // The typed text stays, selected, so typing again replaces it.
    text1_->setFocus();
    text1_->selectAll();
}

void GetPassword::CancelBtn_Click() {
    reject();
}

void GetPassword::reject() {
    program_.CurrentPassword.clear();
    QDialog::reject();
}

void GetPassword::ForgotBtn_Click() {
    text1_->setFocus();
    const QPoint place = pos();
    hide();
    {
        Delform forgot(program_, parentWidget());
        forgot.move(place);
        forgot.exec();
    }
    // Either way out of the forgot-password window abandons the open.
    reject();
}

void GetPassword::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeepDialogOnTop(program_, this);
    text1_->setFocus();
}

bool GetPassword::HandleEnter(QKeyEvent* event) {
    if (!IsEnter(event))
        return false;
    if (event->type() == QEvent::KeyPress) {
        if (!event->isAutoRepeat())
            enterDown_ = true;
        return true;
    }
    if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat() && enterDown_) {
        // Only an Enter that went down here: the release of a key pressed in the main
        // window (which opened this prompt) is not an answer.
        enterDown_ = false;
        OKBtn_Click();
    }
    return true;
}

void GetPassword::keyPressEvent(QKeyEvent* event) {
    if (!HandleEnter(event))
        QDialog::keyPressEvent(event);
}

void GetPassword::keyReleaseEvent(QKeyEvent* event) {
    if (!HandleEnter(event))
        QDialog::keyReleaseEvent(event);
}

bool GetPassword::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        if (HandleEnter(static_cast<QKeyEvent*>(event)))
            return true;
    return QDialog::eventFilter(watched, event);
}

bool AskForPassword(Program& program, int slot) {
    GetPassword prompt(program, ShellOf(program).MainWindow());
    prompt.PlaceBesideName(slot);
    prompt.exec();
    return !program.CurrentPassword.isEmpty();
}

} // namespace kelpo
