#include "insertion/DoIt.h"

#include "entries/EditEntry.h"
#include "insertion/AutoInsert.h"
#include "insertion/BrowserLaunch.h"
#include "mainwindow/Pages.h"
#include "mainwindow/Twips.h"
#include "platform/WindowSystem.h"
#include "storage/Program.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

namespace kelpo {

namespace {

// Narrow enough that the whole window fits its default place, 3250 twips from the
// right edge of the screen.
constexpr int RowWidthTwips = 2850;
constexpr int RowLeftTwips = 0;
const QColor RowColor(255, 255, 255);
const QColor RowHoverColor(220, 232, 252);
const QColor HelpColor(255, 255, 225); // light yellow

const QString RowHelp = QStringLiteral("Left click overwrites.\nRight click appends.");

} // namespace

// A clip row: a label that reports a mouse button released over it, whichever button.
// It paints its caption cut short with an ellipsis rather than clipped mid-letter; the
// label keeps the whole caption for assistive technology.
class ClipRow : public QLabel {
public:
    ClipRow(int index, QWidget* parent) : QLabel(parent), index_(index) {
        setObjectName(QStringLiteral("Names_%1").arg(index));
        setProperty("index", index);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

    std::function<void(int, Qt::MouseButton)> onRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        if (rect().contains(event->position().toPoint()) && onRelease)
            onRelease(index_, event->button());
    }
    void enterEvent(QEnterEvent* event) override {
        hovered_ = true;
        update();
        QLabel::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        hovered_ = false;
        update();
        QLabel::leaveEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool live = !text().isEmpty();
        painter.fillRect(rect(),
                         hovered_ && live ? RowHoverColor : palette().color(QPalette::Window));
        painter.setPen(QColor(224, 224, 224));
        painter.drawLine(0, height() - 1, width(), height() - 1);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect area = rect().adjusted(4, 0, -2, -1);
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

private:
    int index_;
    bool hovered_ = false;
};

// A button that acts when any mouse button is released over it, and never takes focus.
class ReleaseButton : public QPushButton {
public:
    ReleaseButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
        setFocusPolicy(Qt::NoFocus);
        setAutoDefault(false);
        // Mouse releases are handled below; click() comes from assistive technology.
        connect(this, &QPushButton::clicked, this, [this] {
            if (onRelease)
                onRelease();
        });
    }

    std::function<void()> onRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        setDown(true);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        event->accept();
        if (event->buttons() != Qt::NoButton)
            setDown(hitButton(event->position().toPoint()));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        setDown(false);
        if (event->buttons() == Qt::NoButton && hitButton(event->position().toPoint()) && onRelease)
            onRelease();
    }
};

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
    program_.doIt = this;
}

DoIt::~DoIt() {
    if (program_.doIt == this)
        program_.doIt = nullptr;
}

ReleaseButton* DoIt::MakeButton(const QString& name, const QString& caption) {
    auto* button = new ReleaseButton(caption, useControlFrame_);
    button->setObjectName(name);
    // The rows set the window's width; the buttons share it rather than widen it.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setMinimumWidth(0);
    return button;
}

ClipRow* DoIt::MakeRow(int index) {
    auto* row = new ClipRow(index, useInnerFrame_);
    row->onRelease = [this](int i, Qt::MouseButton button) { Names_MouseUp(i, button); };
    row->installEventFilter(this);
    // The hide flag's holder: never visible in this window.
    auto* hide = new QCheckBox(useInnerFrame_);
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
    leftBtn_->setAccessibleName(QStringLiteral("Previous field"));
    rightBtn_->setAccessibleName(QStringLiteral("Next field"));
    QFont bold = autoBtn_->font();
    bold.setBold(true);
    autoBtn_->setFont(bold);
    grid->addWidget(usePageBtn_, 0, 0, 1, 3);
    grid->addWidget(editBtn_, 0, 3, 1, 3);
    grid->addWidget(autoBtn_, 1, 0, 1, 6);
    grid->addWidget(leftBtn_, 2, 0, 1, 2);
    grid->addWidget(rightBtn_, 2, 2, 1, 2);
    grid->addWidget(clickBtn_, 2, 4, 1, 2);
    grid->addWidget(minimizeBtn2_, 3, 0, 1, 3);
    grid->addWidget(minimizeBtn_, 3, 3, 1, 3);
    layout->addWidget(useControlFrame_);

    usePageBtn_->onRelease = [this] { UsePageBtn_MouseUp(); };
    editBtn_->onRelease = [this] { EditBtn_MouseUp(); };
    autoBtn_->onRelease = [this] { AutoBtn_MouseUp(); };
    leftBtn_->onRelease = [this] { LeftBtn_MouseUp(); };
    rightBtn_->onRelease = [this] { RightBtn_MouseUp(); };
    clickBtn_->onRelease = [this] { ClickBtn_MouseUp(); };
    minimizeBtn2_->onRelease = [this] { MinimizeBtn2_MouseUp(); };
    minimizeBtn_->onRelease = [this] { MinimizeBtn_MouseUp(); };
    for (QWidget* button : {static_cast<QWidget*>(autoBtn_), static_cast<QWidget*>(clickBtn_),
                            static_cast<QWidget*>(editBtn_), static_cast<QWidget*>(leftBtn_),
                            static_cast<QWidget*>(rightBtn_)})
        button->installEventFilter(this);

    // The rows sit on an inner panel that moves up behind a viewport of 23 rows.
    auto* rows = new QHBoxLayout;
    rows->setSpacing(0);
    useOuterFrame_ = new QFrame(this);
    useOuterFrame_->setObjectName(QStringLiteral("Useouterframe"));
    useOuterFrame_->setFrameShape(QFrame::NoFrame);
    useOuterFrame_->setFixedSize(TwipsToPixels(RowWidthTwips, this),
                                 TwipsToPixels(InsertionVisibleRows * InsertionRowTwips, this));
    useOuterFrame_->installEventFilter(this);
    useInnerFrame_ = new QWidget(useOuterFrame_);
    useInnerFrame_->setObjectName(QStringLiteral("UseInnerFrame"));
    useInnerFrame_->setGeometry(0, 0, useOuterFrame_->width(),
                                TwipsToPixels(ClipCount * InsertionRowTwips, this));
    QPalette rowPalette = useInnerFrame_->palette();
    rowPalette.setColor(QPalette::Window, RowColor);
    rowPalette.setColor(QPalette::WindowText, Qt::black);
    useInnerFrame_->setPalette(rowPalette);
    useInnerFrame_->setAutoFillBackground(true);
    for (int i = 0; i < InsertionFirstRows; ++i) {
        ClipRow* row = MakeRow(i);
        row->setGeometry(TwipsToPixels(RowLeftTwips, this),
                         TwipsToPixels(i * InsertionRowTwips, this), useOuterFrame_->width(),
                         TwipsToPixels((i + 1) * InsertionRowTwips, this) -
                             TwipsToPixels(i * InsertionRowTwips, this));
        row->setAutoFillBackground(false);
        row->setCursor(Qt::ArrowCursor);
    }
    useScroll_ = new QScrollBar(Qt::Vertical, this);
    useScroll_->setObjectName(QStringLiteral("UseScroll"));
    useScroll_->setRange(0, ClipCount - InsertionVisibleRows);
    useScroll_->setSingleStep(1);
    useScroll_->setPageStep(5);
    useScroll_->setFocusPolicy(Qt::NoFocus);
    useScroll_->setFixedHeight(useOuterFrame_->height());
    useScroll_->setAccessibleName(QStringLiteral("Scroll clips"));
    connect(useScroll_, &QScrollBar::valueChanged, this, &DoIt::UseScroll_Change);
    rows->addWidget(useOuterFrame_);
    rows->addWidget(useScroll_);
    layout->addLayout(rows);

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

    // The focus holder: out of sight, so no visible control ever shows a focus frame.
    holdfocus_ = new QWidget(this);
    holdfocus_->setObjectName(QStringLiteral("Holdfocus"));
    holdfocus_->setGeometry(-20, -20, 1, 1);
    holdfocus_->setFocusPolicy(Qt::StrongFocus);
}

void DoIt::AddInsertionRows() {
    const ClipRow* first = names_[0];
    for (int i = InsertionFirstRows; i < ClipCount; ++i) {
        ClipRow* row = MakeRow(i);
        const int top = TwipsToPixels(i * InsertionRowTwips, this);
        row->setGeometry(first->x(), top, first->width(),
                         TwipsToPixels((i + 1) * InsertionRowTwips, this) - top);
        row->setPalette(first->palette());
        row->setAutoFillBackground(first->autoFillBackground());
        row->setCursor(first->cursor());
    }
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
    if (program_.pages)
        program_.pages->hide();
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
    holdfocus_->setFocus(Qt::OtherFocusReason);
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

void DoIt::Names_MouseUp(int index, Qt::MouseButton button) {
    Sending([&] { ClipClick(program_, *this, index, button); });
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
    if (program_.pages) {
        program_.pages->showNormal();
        program_.pages->raise();
        program_.pages->activateWindow();
    }
}

void DoIt::MinimizeBtn2_MouseUp() {
    FocusHoldfocus();
    showMinimized();
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
    if (program_.pages)
        program_.pages->Minimize();
}

void DoIt::EditBtn_MouseUp() {
    FocusHoldfocus();
    hide();
    SetQuickHelpVisible(false);
    if (program_.TestMode == 1) {
        // Back to the editor on the unsaved state its Test stored in the test slot.
        LoadClipSetForEdit(program_, TestSlot);
    } else {
        // The entry in use was already unlocked: no second password prompt.
        program_.TestMode = 1;
        program_.EditSlot = program_.CurrentSlot;
        LoadClipSetForEdit(program_, program_.CurrentSlot);
    }
}

void DoIt::UseScroll_Change(int value) {
    const int v = qBound(0, value, ClipCount - InsertionVisibleRows);
    useInnerFrame_->move(0, -TwipsToPixels(v * InsertionRowTwips, this));
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
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool restored =
        (change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized);
    ScheduleResizeRule(restored);
}

void DoIt::closeEvent(QCloseEvent* event) {
    // Closing only hides the window (it keeps its rows for the next use); the main window
    // comes back, so the program never ends up with no window at all.
    event->accept();
    QTimer::singleShot(0, this, [this] {
        if (!isVisible() && program_.pages && program_.pages->isHidden())
            program_.pages->showNormal();
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
    if (focusArrives && !isMinimized())
        Holdfocus_GotFocus();
}

bool DoIt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        QString help;
        if (watched == autoBtn_)
            help = QStringLiteral("Inserts all clips.");
        else if (watched == clickBtn_)
            help = QStringLiteral("Clicks highlighted button");
        else if (watched == editBtn_)
            help = QStringLiteral("Back to edit window.\nOr use Esc key");
        else if (watched == leftBtn_)
            help = QStringLiteral("Moves cursor to previous field.");
        else if (watched == rightBtn_)
            help = QStringLiteral("Moves cursor to Next field.");
        else if (dynamic_cast<ClipRow*>(watched))
            help = RowHelp;
        if (!help.isEmpty())
            helpLabel_->setText(help);
    } else if (event->type() == QEvent::Wheel &&
               (watched == useOuterFrame_ || dynamic_cast<ClipRow*>(watched))) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0)
            useScroll_->setValue(useScroll_->value() - steps);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelpo
