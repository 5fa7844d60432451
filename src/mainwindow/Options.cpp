#include "mainwindow/Options.h"

#include "storage/Program.h"
#include "storage/Settings.h"
#include "widgets/Holdfocus.h"
#include "widgets/MouseArgs.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace kelpo {

Options::Options(Program& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      program_(program) {
    setObjectName("Options");
    setWindowTitle(QStringLiteral(" Options"));
    setFixedSize(TwipsToPixels(3720, this), TwipsToPixels(2250, this));

    holdfocus_ = new Holdfocus(this);

    // Each pair sits in its own borderless frame, so each is a group of its own.
    auto makeGroup = [this](const char* frameName, int top, const char* name, const QString& first,
                            const QString& second, std::array<QRadioButton*, 2>& buttons) {
        auto* frame = new QFrame(this);
        frame->setObjectName(frameName);
        frame->setFrameShape(QFrame::NoFrame);
        frame->setGeometry(TwipsRect(240, top, 3240, 630, this));
        const QString captions[2] = {first, second};
        for (int i = 0; i < 2; ++i) {
            auto* button = new QRadioButton(captions[i], frame);
            button->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
            button->setProperty("index", i);
            button->setGeometry(TwipsRect(0, i * 315, 3240, 300, this));
            button->installEventFilter(this);
            buttons[i] = button;
        }
    };
    makeGroup("HelpFrame", 150, "HelpOption", QStringLiteral("Quick Help On"),
              QStringLiteral("Quick Help Off"), helpOption_);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(TwipsRect(240, 840, 3240, 60, this));
    makeGroup("MinimizeFrame", 960, "MinimizeOption", QStringLiteral("Minimize to Task Bar"),
              QStringLiteral("Minimize to System Tray"), minimizeOption_);

    // The keyboard (Space, arrow keys) chooses through clicked(); mouse presses are taken
    // in eventFilter, since any button chooses on the press.
    for (int i = 0; i < 2; ++i) {
        connect(helpOption_[i], &QRadioButton::clicked, this,
                [this, i] { HelpOption_MouseDown(i, 1, 0, 0, 0); });
        connect(minimizeOption_[i], &QRadioButton::clicked, this,
                [this, i] { MinimizeOption_MouseDown(i, 1, 0, 0, 0); });
    }

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName("CloseBtn");
    close->setGeometry(TwipsRect(2400, 1740, 1080, 360, this));
    // Not a default button: one is drawn as if it had the focus all the time, so a keyboard
    // user could not tell when it has. Esc still closes the dialog.
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { CloseBtn_MouseUp(1, 0, 0, 0); });

    const Settings& settings = program_.settings;
    helpOption_[settings.QuickHelpOff == 1 ? 1 : 0]->setChecked(true);
    minimizeOption_[settings.MinimizeToTray == 1 ? 1 : 0]->setChecked(true);

    PlaceBesideMainWindow();
}

void Options::PlaceBesideMainWindow() {
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main)
        return;
    // Bottom edges level; this window's frame is taken to be as thick as the main one's.
    const QRect frame = main->frameGeometry();
    const int frameHeight = height() + (frame.height() - main->height());
    move(frame.left() + TwipsToPixels(1800, main), frame.bottom() + 1 - frameHeight);
}

void Options::HelpOption_MouseDown(int index, int /*button*/, int /*shift*/, float /*x*/,
                                   float /*y*/) {
    if (index < 0 || index > 1)
        return;
    holdfocus_->Take();
    helpOption_[index]->setChecked(true);
    program_.settings.QuickHelpOff = static_cast<std::int16_t>(index);
    SaveSettings(program_);
    emit quickHelpChanged();
}

void Options::MinimizeOption_MouseDown(int index, int /*button*/, int /*shift*/, float /*x*/,
                                       float /*y*/) {
    if (index < 0 || index > 1)
        return;
    holdfocus_->Take();
    minimizeOption_[index]->setChecked(true);
    program_.settings.MinimizeToTray = static_cast<std::int16_t>(index);
    SaveSettings(program_);
}

void Options::CloseBtn_MouseUp(int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    accept();
}

bool Options::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return QDialog::eventFilter(watched, event);
    const int index = watched->property("index").toInt();
    const MouseArgs a = MouseArgsOf(*static_cast<QMouseEvent*>(event), this);
    for (int i = 0; i < 2; ++i) {
        if (watched == helpOption_[i]) {
            HelpOption_MouseDown(index, a.button, a.shift, a.x, a.y);
            return true;
        }
        if (watched == minimizeOption_[i]) {
            MinimizeOption_MouseDown(index, a.button, a.shift, a.x, a.y);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelpo
