#include "insertion/DoIt.h"

#include "insertion/AutoInsert.h"
#include "insertion/BrowserLaunch.h"
#include "insertion/InsertionHelp.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"
#include "storage/Program.h"
#include "widgets/ClipRow.h"
#include "widgets/Holdfocus.h"
#include "widgets/ReleaseButton.h"
#include "widgets/RowList.h"
#include "widgets/Shell.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

namespace kelpo {

namespace {

// Narrow enough that the whole window fits its default place, 3250 twips from the
// right edge of the screen.
constexpr int RowWidthTwips = 2850;
const QColor RowColor(255, 255, 255);
const QColor HelpColor(255, 255, 225); // light yellow

} // namespace

DoIt::DoIt(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("DoIt"));
    setWindowTitle(QStringLiteral(" Kelpo (Insertion)"));
    // On top of the browser, and clicks here leave the keyboard with the browser.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    BuildWindow();
    AddInsertionRows();
    move(TwipsPoint(program_.settings.InsertLeft, program_.settings.InsertTop, this));
}

DoIt::~DoIt() = default;

ReleaseButton* DoIt::MakeButton(const QString& name, const QString& caption) {
    auto* button = new ReleaseButton(caption, useControlFrame_);
    button->setObjectName(name);
    // The rows set the window's width; the buttons share it rather than widen it.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setMinimumWidth(0);
    return button;
}

QWidget* DoIt::MakeRow(int index, QWidget* panel) {
    auto* row = new ClipRow(index, panel);
    row->onRelease = [this](int i, int button, int shift, float x, float y) {
        Names_MouseUp(i, button, shift, x, y);
    };
    row->installEventFilter(this);
    row->setAutoFillBackground(false);
    row->setCursor(Qt::ArrowCursor);
    // The hide flag's holder: never visible in this window.
    auto* hide = new QCheckBox(panel);
    hide->setObjectName(QStringLiteral("HideOption_%1").arg(index));
    hide->setFocusPolicy(Qt::NoFocus);
    hide->hide();
    names_[index] = row;
    hideOption_[index] = hide;
    return row;
}

void DoIt::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    useControlFrame_ = new QFrame(this);
    useControlFrame_->setObjectName(QStringLiteral("UseControlFrame"));
    auto* grid = new QGridLayout(useControlFrame_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    usePageBtn_ = MakeButton(QStringLiteral("UsePageBtn"), QStringLiteral(" Main Page"));
    editBtn_ = MakeButton(QStringLiteral("EditBtn"), QStringLiteral("Edit"));
    autoBtn_ = MakeButton(QStringLiteral("AutoBtn"), QStringLiteral("Auto Insert"));
    leftBtn_ = MakeButton(QStringLiteral("LeftBtn"), QStringLiteral("<"));
    rightBtn_ = MakeButton(QStringLiteral("RightBtn"), QStringLiteral(">"));
    clickBtn_ = MakeButton(QStringLiteral("ClickBtn"), QStringLiteral("Click"));
    minimizeBtn2_ = MakeButton(QStringLiteral("MinimizeBtn2"), QStringLiteral("Minimize This"));
    minimizeBtn_ = MakeButton(QStringLiteral("MinimizeBtn"), QStringLiteral("Minimize Kelpo "));
    // The window never has the keyboard, so F1 cannot reach it: this leads to the help.
    helpBtn_ = MakeButton(QStringLiteral("HelpBtn"), QStringLiteral("?"));
    helpBtn_->setAccessibleName(QStringLiteral("Help"));
    leftBtn_->setAccessibleName(QStringLiteral("Previous field"));
    rightBtn_->setAccessibleName(QStringLiteral("Next field"));
    QFont bold = autoBtn_->font();
    bold.setBold(true);
    autoBtn_->setFont(bold);
    grid->addWidget(usePageBtn_, 0, 0, 1, 3);
    grid->addWidget(editBtn_, 0, 3, 1, 3);
    grid->addWidget(autoBtn_, 1, 0, 1, 5);
    grid->addWidget(helpBtn_, 1, 5, 1, 1);
    grid->addWidget(leftBtn_, 2, 0, 1, 2);
    grid->addWidget(rightBtn_, 2, 2, 1, 2);
    grid->addWidget(clickBtn_, 2, 4, 1, 2);
    grid->addWidget(minimizeBtn2_, 3, 0, 1, 3);
    grid->addWidget(minimizeBtn_, 3, 3, 1, 3);
    layout->addWidget(useControlFrame_);

    // Every button acts alike whichever mouse button released it.
    const auto on = [](ReleaseButton* button, void (DoIt::*handler)(), DoIt* self) {
        button->onRelease = [self, handler](int, int, int, float, float) { (self->*handler)(); };
    };
    on(usePageBtn_, &DoIt::UsePageBtn_MouseUp, this);
    on(editBtn_, &DoIt::EditBtn_MouseUp, this);
    on(autoBtn_, &DoIt::AutoBtn_MouseUp, this);
    on(leftBtn_, &DoIt::LeftBtn_MouseUp, this);
    on(rightBtn_, &DoIt::RightBtn_MouseUp, this);
    on(clickBtn_, &DoIt::ClickBtn_MouseUp, this);
    on(minimizeBtn2_, &DoIt::MinimizeBtn2_MouseUp, this);
    on(minimizeBtn_, &DoIt::MinimizeBtn_MouseUp, this);
    on(helpBtn_, &DoIt::HelpBtn_MouseUp, this);
    for (QWidget* button : {static_cast<QWidget*>(autoBtn_), static_cast<QWidget*>(clickBtn_),
                            static_cast<QWidget*>(editBtn_), static_cast<QWidget*>(leftBtn_),
                            static_cast<QWidget*>(rightBtn_), static_cast<QWidget*>(helpBtn_)})
        button->installEventFilter(this);

    // The rows sit on an inner panel that moves up behind a viewport of 23 rows.
    rows_ = new RowList(ClipCount, InsertionVisibleRows, InsertionRowTwips, RowWidthTwips, this);
    rows_->Viewport()->setObjectName(QStringLiteral("Useouterframe"));
    rows_->Panel()->setObjectName(QStringLiteral("UseInnerFrame"));
    rows_->ScrollBar()->setObjectName(QStringLiteral("UseScroll"));
    rows_->ScrollBar()->setAccessibleName(QStringLiteral("Scroll clips"));
    QPalette rowPalette = rows_->Panel()->palette();
    rowPalette.setColor(QPalette::Window, RowColor);
    rowPalette.setColor(QPalette::WindowText, Qt::black);
    rows_->Panel()->setPalette(rowPalette);
    rows_->Panel()->setAutoFillBackground(true);
    rows_->AddRows(0, InsertionFirstRows,
                   [this](int i, QWidget* panel) { return MakeRow(i, panel); });
    rows_->onScrolled = [this](int) {
        if (isVisible())
            FocusHoldfocus();
    };
    layout->addWidget(rows_);

    helpFrame_ = new QFrame(this);
    helpFrame_->setObjectName(QStringLiteral("HelpFrame"));
    helpFrame_->setFrameShape(QFrame::Box);
    QPalette helpPalette = helpFrame_->palette();
    helpPalette.setColor(QPalette::Window, HelpColor);
    helpPalette.setColor(QPalette::WindowText, Qt::black);
    helpFrame_->setPalette(helpPalette);
    helpFrame_->setAutoFillBackground(true);
    auto* helpLayout = new QVBoxLayout(helpFrame_);
    helpLayout->setContentsMargins(4, 3, 4, 3);
    helpLabel_ = new QLabel(QStringLiteral("Kelpo Quick Help"), helpFrame_);
    helpLabel_->setObjectName(QStringLiteral("HelpLabel"));
    helpLabel_->setWordWrap(true);
    helpLabel_->setMinimumHeight(helpLabel_->fontMetrics().lineSpacing() * 2);
    helpLayout->addWidget(helpLabel_);
    helpFrame_->hide();
    layout->addWidget(helpFrame_);

    // No visible control ever shows a focus frame.
    holdfocus_ = new Holdfocus(this);
}

void DoIt::AddInsertionRows() {
    rows_->AddRows(InsertionFirstRows, ClipCount,
                   [this](int i, QWidget* panel) { return MakeRow(i, panel); });
}

void DoIt::SetRowHidden(int row, bool hidden) {
    if (row < 0 || row >= ClipCount)
        return;
    rowHidden_[row] = hidden;
    hideOption_[row]->setChecked(hidden);
    ShowCaption(row);
}

void DoIt::SetRowClip(int row, const QString& clip) {
    if (row < 0 || row >= ClipCount)
        return;
    rowClips_[row] = clip;
    ShowCaption(row);
    names_[row]->setCursor(clip.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void DoIt::ShowCaption(int row) {
    const QString& clip = rowClips_[row];
    names_[row]->setText(rowHidden_[row] ? QString(clip.size(), QLatin1Char('*')) : clip);
    names_[row]->setAccessibleName(rowHidden_[row] && !clip.isEmpty()
                                       ? QStringLiteral("Hidden clip %1").arg(row + 1)
                                       : QString());
}

void DoIt::ShowForUse() {
    ShellOf(program_).HideMainWindow();
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    update();
}

void DoIt::SetQuickHelpVisible(bool visible) {
    helpFrame_->setVisible(visible);
}

void DoIt::SetKeyHandling(bool on) {
    keyHandling_ = on;
}

void DoIt::ProcessEvents() {
    QCoreApplication::processEvents();
}

void DoIt::FocusHoldfocus() {
    holdfocus_->Take();
}

template <typename Action> void DoIt::Sending(Action action) {
    if (sending_)
        return;
    sending_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{sending_};
    action();
}

void DoIt::Names_MouseUp(int index, int button, int shift, float x, float y) {
    (void)shift;
    (void)x;
    (void)y;
    Sending([&] { ClipClick(program_, *this, index, QtMouseButton(button)); });
}

void DoIt::LeftBtn_MouseUp() {
    FocusHoldfocus();
    Sending([&] { SendToTarget(program_, *this, QStringLiteral("+{TAB}")); });
}

void DoIt::RightBtn_MouseUp() {
    FocusHoldfocus();
    Sending([&] { SendToTarget(program_, *this, QStringLiteral("{TAB}")); });
}

void DoIt::ClickBtn_MouseUp() {
    FocusHoldfocus();
    Sending([&] { SendToTarget(program_, *this, QStringLiteral("{ENTER}")); });
}

void DoIt::AutoBtn_MouseUp() {
    FocusHoldfocus();
    Sending([&] { AutoInsert(program_, *this); });
}

void DoIt::UsePageBtn_MouseUp() {
    FocusHoldfocus();
    hide();
    ShellOf(program_).ShowMainWindow();
}

void DoIt::MinimizeBtn2_MouseUp() {
    FocusHoldfocus();
    showMinimized();
    // A task bar may not list this window, or there may be none at all: the tray icon is
    // its way back (a left click on it restores this window first).
    TrayIcon* tray = program_.platform.tray;
    if (tray && tray->IsAvailable()) {
        tray->Show();
        trayIsOurs_ = tray->IsVisible();
    }
}

void DoIt::MinimizeProgram() {
    MinimizeBtn_MouseUp();
}

void DoIt::MinimizeThis() {
    MinimizeBtn2_MouseUp();
}

void DoIt::MinimizeBtn_MouseUp() {
    FocusHoldfocus();
    hide();
    ShellOf(program_).MinimizeMainWindow();
}

void DoIt::EditBtn_MouseUp() {
    FocusHoldfocus();
    hide();
    SetQuickHelpVisible(false);
    if (program_.TestMode == 1) {
        // Back to the editor on the unsaved state its Test stored in the test slot.
        ShellOf(program_).OpenEditor(TestSlot);
    } else {
        // The entry in use was already unlocked: no second password prompt.
        program_.TestMode = 1;
        program_.EditSlot = program_.CurrentSlot;
        ShellOf(program_).OpenEditor(program_.CurrentSlot);
    }
}

void DoIt::HelpBtn_MouseUp() {
    FocusHoldfocus();
    ShowHelpPage(program_, QStringLiteral("clips.htm"));
}

void DoIt::UseScroll_Change(int value) {
    rows_->ShowFrom(value);
    if (isVisible())
        FocusHoldfocus();
}

void DoIt::Holdfocus_GotFocus() {
    // An entry whose first clip is "{Minimize}" is a plain bookmark: the browser opens
    // and the program gets out of the way.
    if (names_[0]->text() != QLatin1String("{Minimize}"))
        return;
    if (program_.TestMode == 1)
        MinimizeBtn2_MouseUp();
    else
        MinimizeBtn_MouseUp();
}

void DoIt::keyPressEvent(QKeyEvent* event) {
    if (!keyHandling_) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        if (program_.TestMode == 1)
            EditBtn_MouseUp();
        return;
    case Qt::Key_F1:
        event->accept();
        ShowHelpPage(program_);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DoIt::keyReleaseEvent(QKeyEvent* event) {
    if (!keyHandling_ || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void DoIt::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScheduleResizeRule(true);
}

void DoIt::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScheduleResizeRule(false);
}

void DoIt::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // A desktop that activates the window all the same (Wayland compositors do, as it opens
    // and when it is clicked) gets the target activated again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, &DoIt::HandBackActivation);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool restored =
        (change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized);
    if (restored && trayIsOurs_) {
        // Back by whatever means: the icon that stood for it goes.
        trayIsOurs_ = false;
        if (program_.platform.tray)
            program_.platform.tray->Hide();
    }
    ScheduleResizeRule(restored);
}

void DoIt::closeEvent(QCloseEvent* event) {
    // Closing only hides the window (it keeps its rows for the next use); the main window
    // comes back, so the program never ends up with no window at all.
    event->accept();
    QTimer::singleShot(0, this, [this] {
        if (!isVisible() && ShellOf(program_).MainWindowHidden())
            ShellOf(program_).ShowMainWindow();
    });
}

void DoIt::ScheduleResizeRule(bool focusArrives) {
    focusPending_ = focusPending_ || focusArrives;
    if (resizeRulePending_)
        return;
    resizeRulePending_ = true;
    // Run after the event that caused it, so no events are processed inside a show or
    // resize handler.
    QTimer::singleShot(0, this, &DoIt::ApplyResizeRule);
}

namespace {

// When to look again whether the desktop activated this window after it was shown.
constexpr int ActivationRecheckMs[] = {150, 500};

} // namespace

void DoIt::ApplyResizeRule() {
    resizeRulePending_ = false;
    const bool focusArrives = focusPending_;
    focusPending_ = false;
    if (!isVisible())
        return;
    if (program_.platform.windows)
        program_.platform.windows->KeepOnTop(winId());
    // Whenever this window is shown or changes size, the browser gets the keyboard back.
    if (TargetGuardPasses(program_))
        EnsureForeground(program_, program_.TargetWindow);
    // A desktop may still activate the window a moment after it was shown: Qt asks Wayland
    // compositors for it, and one that grants such requests takes the keyboard from the
    // browser after it was given back. Look again once that has come.
    if (focusArrives)
        for (const int ms : ActivationRecheckMs)
            QTimer::singleShot(ms, this, &DoIt::HandBackActivation);
    if (focusArrives && !isMinimized())
        Holdfocus_GotFocus();
}

void DoIt::HandBackActivation() {
    WindowSystem* windows = program_.platform.windows;
    if (!windows || !isVisible() || !TargetGuardPasses(program_))
        return;
    // A foreign window in front was put there by the user, and stays.
    const WindowId front = windows->ForegroundWindow();
    if (front == 0 || front == winId())
        EnsureForeground(program_, program_.TargetWindow);
}

bool DoIt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        const QString control =
            qobject_cast<ClipRow*>(watched) ? QStringLiteral("Names") : watched->objectName();
        const QString help = InsertionHelpText(control);
        if (!help.isEmpty())
            helpLabel_->setText(help);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelpo
