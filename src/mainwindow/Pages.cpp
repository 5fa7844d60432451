#include "mainwindow/Pages.h"

#include "editor/EditEntry.h"
#include "entries/NoteFile.h"
#include "insertion/BrowserLaunch.h"
#include "insertion/DoIt.h"
#include "insertion/OpenEntry.h"
#include "mainwindow/AboutForm.h"
#include "mainwindow/ForegroundTracker.h"
#include "mainwindow/LibNames.h"
#include "mainwindow/NotesForm.h"
#include "mainwindow/Options.h"
#include "mainwindow/PagesHelp.h"
#include "mainwindow/TrayController.h"
#include "storage/Names.h"
#include "storage/Program.h"
#include "storage/Settings.h"
#include "widgets/Colors.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Holdfocus.h"
#include "widgets/MouseArgs.h"
#include "widgets/MouseEnterTracker.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace kelpo {

namespace L = PagesLayout;

namespace {

const QString QuickHelpTitle = QStringLiteral("Kelpo Quick Help");
const QString QuickHelpText = QStringLiteral("Displays help for the item that the mouse is over.");
const QString QuickHelpOffTitle =
    QStringLiteral("Quick Help can be turned on from the Options dialog.");

// A caption shown as typed: '&' would otherwise mark a keyboard shortcut.
QString PlainCaption(const QString& text) {
    QString caption = text;
    return caption.replace('&', QStringLiteral("&&"));
}

void SetBackground(QWidget* widget, const QColor& back, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

// The mark beside the name clicked last: an arrow pointing at the name.
QPixmap PointerPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    QPainterPath arrow;
    arrow.moveTo(5 * s, 16 * s);
    arrow.lineTo(15 * s, 8 * s);
    arrow.lineTo(15 * s, 13 * s);
    arrow.lineTo(27 * s, 13 * s);
    arrow.lineTo(27 * s, 19 * s);
    arrow.lineTo(15 * s, 19 * s);
    arrow.lineTo(15 * s, 24 * s);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(90, 0, 0), 1.2 * s));
    painter.setBrush(QColor(200, 30, 30));
    painter.drawPath(arrow);
    return pixmap;
}

} // namespace

Pages::Pages(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName("Pages");
    // A fixed-size window: no maximise button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildWindow();
    // The window opens with nothing focused that Space or Enter would press.
    FocusHoldfocus();

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &Pages::Timer1_Timer);
    timer1_->start();

    tracker_ = std::make_unique<ForegroundTracker>(program_);
    tray_ = std::make_unique<TrayController>(program_, *this, *mnuPopup_);

    RefreshLibraryNames();
    RefreshLibraryButtons();
    RefreshNames();
    ApplyQuickHelpState();

    // Reports from the start, quick help or not: the notes panel needs them too.
    mouser_ = new MouseEnterTracker(this);
    connect(mouser_, &MouseEnterTracker::MouseEnter, this, &Pages::Mouser_MouseEnter);
}

Pages::~Pages() = default;

void Pages::PauseTimer(bool paused) {
    if (paused)
        timer1_->stop();
    else
        timer1_->start();
}

void Pages::SetInsertionWindow(QWidget* window) {
    insertionWindow_ = window;
    tray_->SetInsertionWindow(window);
}

void Pages::BuildWindow() {
    // The program's icon is read once, by the application; decoding it again costs start-up.
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? QIcon(QStringLiteral(":/kelpo/kelpo.png"))
                           : QApplication::windowIcon();
    if (!icon.isNull())
        setWindowIcon(icon);
    setFixedSize(TwipsToPixels(L::WindowWidth, this), TwipsToPixels(L::WindowHeight, this));

    holdfocus_ = new Holdfocus(this);

    for (int i = 0; i < SlotCount; ++i) {
        // A name longer than its slot ends in "…" and shows whole as a tooltip.
        auto* label = new ElidedLabel(this);
        label->setObjectName(QStringLiteral("Pagenames_%1").arg(i));
        label->setProperty("index", i);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        label->setIndent(TwipsToPixels(45, this));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (i < VisibleSlotCount) {
            const int left = L::Margin + (i / L::RowsPerColumn) * L::ColumnPitch;
            const int top = L::Margin + (i % L::RowsPerColumn) * L::RowPitch;
            label->setGeometry(TwipsRect(left, top, L::NameWidth, L::NameHeight, this));
            auto* edit = new QPushButton(QStringLiteral("Edit"), this);
            edit->setObjectName(QStringLiteral("UseBtn_%1").arg(i));
            edit->setProperty("index", i);
            // Reached with Tab, never focused by a click: a focus frame only ever marks
            // where the keyboard is.
            edit->setFocusPolicy(Qt::TabFocus);
            edit->setGeometry(
                TwipsRect(left + L::EditOffset, top, L::EditWidth, L::NameHeight, this));
            edit->setAccessibleDescription(QStringLiteral("Edit entry %1").arg(i + 1));
            connect(edit, &QPushButton::clicked, this,
                    [this, i] { UseBtn_MouseUp(i, 1, 0, 0, 0); });
            Watch(edit, Control::Edit, i);
            useBtn_[i] = edit;
        } else {
            // The editor's test slot has a label too, out of sight below the window.
            label->setGeometry(
                TwipsRect(L::Margin, L::TestSlotTop, L::NameWidth, L::NameHeight, this));
        }
        Watch(label, Control::Name, i);
        pagenames_[i] = label;
    }

    pointer_ = new QLabel(this);
    pointer_->setObjectName("Pointer");
    pointer_->setAccessibleName(QStringLiteral("Entry in use"));
    const int pointerPixels = TwipsToPixels(L::PointerSize, this);
    pointer_->setPixmap(PointerPixmap(pointerPixels));
    pointer_->resize(pointerPixels, pointerPixels);
    pointer_->setAttribute(Qt::WA_TransparentForMouseEvents);
    pointer_->hide();

    libraryFrame_ = new QFrame(this);
    libraryFrame_->setObjectName("LibraryFrame");
    libraryFrame_->setGeometry(
        TwipsRect(L::LibraryLeft, L::Margin, L::LibraryWidth, L::GridHeight, this));
    for (int k = 0; k < LibraryCount; ++k) {
        auto* button = new QPushButton(libraryFrame_);
        button->setObjectName(QStringLiteral("LibraryBtn_%1").arg(k));
        button->setProperty("index", k);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus);
        button->setGeometry(
            TwipsRect(0, k * L::LibraryPitch, L::LibraryWidth, L::LibraryHeight, this));
        button->setAccessibleDescription(QStringLiteral("Library %1").arg(k + 1));
        // Mouse presses switch at once (eventFilter); this serves the keyboard and
        // assistive technology.
        connect(button, &QPushButton::clicked, this,
                [this, k] { LibraryBtn_MouseDown(k, 1, 0, 0, 0); });
        Watch(button, Control::Library, k);
        libraryBtn_[k] = button;
    }
    // The library-name editor is made at its first use (a line edit costs the start a font).

    BuildPanels();
    BuildBar();
    BuildDrag();

    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName("mnuPopup");
    QAction* close = mnuPopup_->addAction(QStringLiteral("Close Kelpo"));
    close->setObjectName("MnuClose");
    connect(close, &QAction::triggered, this, &Pages::MnuClose_Click);
    QAction* cancel = mnuPopup_->addAction(QStringLiteral("Cancel"));
    cancel->setObjectName("MnuCloseMenu");
    connect(cancel, &QAction::triggered, this, &Pages::MnuCloseMenu_Click);
}

void Pages::BuildPanels() {
    const int left = L::PanelLeft;
    const int pad = 90;
    const int inner = L::PanelWidth - 2 * pad;

    notesFrame_ = new QFrame(this);
    notesFrame_->setObjectName("NotesFrame");
    notesFrame_->setFrameShape(QFrame::StyledPanel);
    notesFrame_->setGeometry(TwipsRect(left, L::Margin, L::PanelWidth, L::NotesHeight, this));
    auto* heading = new QLabel(QStringLiteral("Notes"), notesFrame_);
    heading->setObjectName("NotesHeading");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setGeometry(TwipsRect(pad, pad, inner, 285, this));
    notesText_ = new QLabel(notesFrame_);
    notesText_->setObjectName("NotesText");
    notesText_->setTextFormat(Qt::PlainText);
    notesText_->setWordWrap(true);
    notesText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notesText_->setGeometry(TwipsRect(pad, pad + 330, inner, L::NotesHeight - 2 * pad - 330, this));

    const QColor helpBack(255, 255, 225); // the light yellow of tooltips
    helpFrame_ = new QFrame(this);
    helpFrame_->setObjectName("HelpFrame");
    helpFrame_->setFrameShape(QFrame::StyledPanel);
    helpFrame_->setAutoFillBackground(true);
    SetBackground(helpFrame_, helpBack, Qt::black);
    helpFrame_->setGeometry(TwipsRect(left, L::HelpTop, L::PanelWidth, L::HelpHeight, this));
    helpLabel_[0] = new QLabel(QuickHelpTitle, helpFrame_);
    helpLabel_[0]->setObjectName("HelpLabel_0");
    helpLabel_[0]->setTextFormat(Qt::PlainText);
    helpLabel_[0]->setFont(bold);
    helpLabel_[0]->setWordWrap(true);
    helpLabel_[1] = new QLabel(QuickHelpText, helpFrame_);
    helpLabel_[1]->setObjectName("HelpLabel_1");
    helpLabel_[1]->setTextFormat(Qt::PlainText);
    helpLabel_[1]->setWordWrap(true);
    helpLabel_[1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    minimizeBtn_ = new QCheckBox(QStringLiteral("Minimize"), helpFrame_);
    minimizeBtn_->setObjectName("MinimizeBtn");
    minimizeBtn_->setFocusPolicy(Qt::TabFocus);
    // Placed by LayOutHelp() once shown; a place now keeps the show from sizing them itself.
    for (QWidget* part :
         {static_cast<QWidget*>(helpLabel_[0]), static_cast<QWidget*>(helpLabel_[1]),
          static_cast<QWidget*>(minimizeBtn_)})
        part->setGeometry(TwipsRect(pad, pad, inner, 0, this));
    connect(minimizeBtn_, &QCheckBox::clicked, this, [this] { MinimizeBtn_MouseUp(1, 0, 0, 0); });
    Watch(minimizeBtn_, Control::Minimize);
    minimizeBtn_->hide();

    // Covers the help panel while an entry or a library is dragged.
    trashFrame_ = new QFrame(this);
    trashFrame_->setObjectName("TrashFrame");
    trashFrame_->setFrameShape(QFrame::StyledPanel);
    trashFrame_->setAutoFillBackground(true);
    trashFrame_->setGeometry(helpFrame_->geometry());
    auto* trash = new QLabel(QStringLiteral("Drop Here to Erase"), trashFrame_);
    trash->setObjectName("Trashlabel");
    trash->setAlignment(Qt::AlignCenter);
    trash->setFont(bold);
    trash->setGeometry(trashFrame_->rect());
    trashFrame_->hide();
}

void Pages::BuildBar() {
    picture2_ = new QFrame(this);
    picture2_->setObjectName("Picture2");
    picture2_->setFrameShape(QFrame::NoFrame);
    picture2_->setAutoFillBackground(true);
    SetBackground(picture2_, palette().color(QPalette::Window).darker(106), Qt::black);
    picture2_->setGeometry(TwipsRect(0, L::BarTop, L::WindowWidth, L::BarHeight, this));
    auto* rule = new QFrame(picture2_);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, 0, picture2_->width(), 2);

    const int top = (L::BarHeight - L::BarButtonHeight) / 2;
    const int gap = (L::PanelWidth - 3 * L::BarButtonWidth) / 2;
    auto make = [&](const char* name, const QString& caption, int n) {
        auto* button = new QPushButton(caption, picture2_);
        button->setObjectName(name);
        button->setFocusPolicy(Qt::TabFocus);
        button->setGeometry(TwipsRect(L::PanelLeft + n * (L::BarButtonWidth + gap), top,
                                      L::BarButtonWidth, L::BarButtonHeight, this));
        return button;
    };
    optionBtn_ = make("OptionBtn", QStringLiteral("Options"), 0);
    upgradeBtn_ = make("UpgradeBtn", QStringLiteral("Upgrades"), 1);
    command1_ = make("Command1", QStringLiteral("Help"), 2);
    connect(optionBtn_, &QPushButton::clicked, this, [this] { OptionBtn_MouseUp(1, 0, 0, 0); });
    connect(upgradeBtn_, &QPushButton::clicked, this, [this] { UpgradeBtn_MouseUp(1, 0, 0, 0); });
    connect(command1_, &QPushButton::clicked, this, &Pages::Command1_Click);
    Watch(optionBtn_, Control::Option);
    Watch(upgradeBtn_, Control::Upgrade);
}

void Pages::Watch(QWidget* widget, Control control, int index) {
    controls_.insert(widget, {control, index});
    widget->installEventFilter(this);
}

QWidget* Pages::NameLabel(int slot) const {
    return slot >= 0 && slot < SlotCount ? pagenames_[slot] : nullptr;
}

bool Pages::NamingLibrary() const {
    return libNames_ && libNames_->isVisible();
}

void Pages::FocusHoldfocus() {
    holdfocus_->Take();
}

// ---- What the window shows ----

void Pages::RefreshNames() {
    // The names may have changed under a highlight; it would mark the wrong entry.
    search_.Clear();
    for (int i = 0; i < SlotCount; ++i) {
        QLabel* label = pagenames_[i];
        const QString& name = program_.SlotNames[i];
        label->setText(name);
        label->setAccessibleName(name.isEmpty() ? QStringLiteral("Empty slot") : name);
        if (name.isEmpty())
            label->unsetCursor();
        else
            label->setCursor(Qt::PointingHandCursor);
        ShowSlotColors(i);
    }
}

void Pages::RefreshLibraryNames() {
    for (int k = 0; k < LibraryCount; ++k) {
        const QString& name = program_.LibraryNames[k];
        // A name wider than its button ends in "…" and shows whole as a tooltip.
        QPushButton* button = libraryBtn_[k];
        const int room = button->width() -
                         2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const QString shown = button->fontMetrics().elidedText(name, Qt::ElideRight, room);
        button->setText(PlainCaption(shown));
        button->setToolTip(shown == name ? QString() : name);
        libraryBtn_[k]->setAccessibleName(name.isEmpty() ? QStringLiteral("Unnamed library")
                                                         : name);
    }
}

void Pages::RefreshLibraryButtons() {
    const int current = program_.settings.Library;
    const QColor face = QApplication::palette(libraryBtn_[0]).color(QPalette::Button);
    for (int k = 0; k < LibraryCount; ++k) {
        QPushButton* button = libraryBtn_[k];
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, k == current ? ColorFromBgr(CurrentLibraryColor) : face);
        button->setPalette(palette);
        button->setChecked(k == current);
    }
}

void Pages::ShowSlotColors(int slot) {
    // 0 is "no colour stored", shown white as the names file reads it.
    const std::uint32_t color = program_.SlotColors[slot];
    SetBackground(pagenames_[slot], ColorFromBgr(color ? color : DefaultColor), Qt::black);
}

void Pages::ShowSearchHighlight(int slot) {
    const QPalette system = QApplication::palette();
    SetBackground(pagenames_[slot], system.color(QPalette::Highlight),
                  system.color(QPalette::HighlightedText));
}

void Pages::ApplyQuickHelpState() {
    const bool off = program_.settings.QuickHelpOff == 1;
    if (off) {
        helpLabel_[0]->setText(QuickHelpOffTitle);
        helpLabel_[1]->setText(QString());
    } else if (helpLabel_[0]->text() == QuickHelpOffTitle) {
        // Switched back on: say what the panel is for until the mouse shows it something.
        helpLabel_[0]->setText(QuickHelpTitle);
        helpLabel_[1]->setText(QuickHelpText);
    }
    minimizeBtn_->setVisible(off);
    LayOutHelp();
}

void Pages::LayOutHelp() {
    // Laid out while the window is shown only: the heights need the fonts, which start-up
    // reads while the window is built.
    if (!isVisible())
        return;
    // Title, text and the Minimize box stacked, so a title of two lines pushes the rest
    // down. The text, top-aligned, has the rest of the panel and needs no measuring; the
    // Minimize box shows only with quick help off, when there is no text.
    const int pad = TwipsToPixels(90, this);
    const int gap = TwipsToPixels(120, this);
    const int width = helpFrame_->width() - 2 * pad;
    const int bottom = helpFrame_->height() - pad;
    int top = pad;
    const int titleHeight = std::min(helpLabel_[0]->heightForWidth(width), bottom - top);
    helpLabel_[0]->setGeometry(pad, top, width, titleHeight);
    top += titleHeight + gap;
    if (helpLabel_[1]->text().isEmpty()) {
        helpLabel_[1]->setGeometry(pad, top, width, 0);
    } else {
        helpLabel_[1]->setGeometry(pad, top, width, std::max(0, bottom - top));
        top = bottom;
    }
    minimizeBtn_->setGeometry(pad, top, width, minimizeBtn_->sizeHint().height());
}

void Pages::PlacePointer(int slot) {
    HidePointer();
    const QRect name = pagenames_[slot]->geometry();
    pointer_->move(name.right() + 1 - pointer_->width(),
                   name.top() - TwipsToPixels(program_.PressOffset, this));
    pointer_->show();
    pointer_->raise();
    // The mark lies over the name's right end: the name ends before it.
    pagenames_[slot]->SetRightReserve(name.right() + 1 - pointer_->x());
}

void Pages::HidePointer() {
    pointer_->hide();
    for (ElidedLabel* label : pagenames_)
        label->SetRightReserve(0);
}

// ---- Handlers ----

void Pages::LibraryBtn_MouseDown(int index, int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    if (index < 0 || index >= LibraryCount)
        return;
    FixColor();
    HidePointer();
    program_.settings.Library = static_cast<std::int16_t>(index);
    SaveSettings(program_);
    RefreshLibraryButtons();
    FocusHoldfocus();
    program_.LibraryFolder = LibraryFolderFor(program_, index);
    LoadNames(program_);
    RefreshNames();
    downX_ = x;
    downY_ = y;
}

void Pages::Pagenames_MouseUp(int index, int button, int shift, float x, float y) {
    if (index < 0 || index >= SlotCount)
        return;
    program_.CurrentClips.fill(QString());
    FixColor();
    FocusHoldfocus();
    if (program_.SlotNames[index].isEmpty())
        return;
    PlacePointer(index);
    if (button == 2) {
        // A right click opens the clips without going to the bookmark.
        program_.SkipBookmark = 1;
        Pagenames_MouseUp(index, 1, shift, x, y);
        return;
    }
    program_.TestMode = 0;
    LoadClipSetForUse(program_, index);
}

void Pages::UseBtn_MouseUp(int index, int button, int shift, float x, float y) {
    (void)shift;
    (void)x;
    (void)y;
    if (index < 0 || index >= VisibleSlotCount)
        return;
    FocusHoldfocus();
    FixColor();
    PlacePointer(index);
    if (button == 2) {
        OpenNotes(index);
        return;
    }
    program_.EditSlot = index;
    LoadClipSetForEdit(program_, index);
}

void Pages::Mouser_MouseEnter(const QString& formDesc, const QString& controlDesc) {
    (void)formDesc;
    if (controlDesc.isEmpty())
        return;
    const ControlDescParts control = SplitControlDesc(controlDesc);
    const bool name = control.name == QLatin1String("Pagenames");
    if (name) {
        if (control.index < 0 || control.index >= SlotCount)
            return; // no such slot: neither panel has anything to show
        ShowNotes(control.index);
    }
    if (program_.settings.QuickHelpOff == 1)
        return;
    const HelpText help =
        MainWindowHelp(control.name, name && !pagenames_[control.index]->text().isEmpty());
    helpLabel_[0]->setText(help.title);
    helpLabel_[1]->setText(HelpForLabel(help.text));
    LayOutHelp();
}

void Pages::ShowNotes(int slot) {
    notesText_->setText(NoteLineFeeds(LookAtNote(program_.LibraryFolder, slot)));
}

void Pages::OpenNotes(int slot) {
    // The note in use must not change under the window until it has saved.
    mouser_->SetMode(MouseEnterTracker::Off);
    NotesForm notes(program_, slot, pagenames_[slot]->text(), this);
    notes.exec();
    if (notes.Saved())
        notesText_->setText(NoteLineFeeds(notes.SavedText()));
    mouser_->SetMode(MouseEnterTracker::On);
}

void Pages::Form_KeyPress(int keyAscii) {
    if (NamingLibrary())
        return; // the key belongs to the library-name editor
    if (keyAscii == 27) {
        MinimizeBtn_MouseUp(1, 0, 0, 0);
        return;
    }
    if (keyAscii == 13) {
        const int slot = search_.Highlighted();
        if (slot >= 0)
            Pagenames_MouseUp(slot, 1, 0, 0, 0);
        return;
    }
    if (keyAscii <= 0 || keyAscii > 0xFFFF)
        return;
    const auto change = search_.Press(static_cast<char16_t>(keyAscii), program_.SlotNames);
    if (change.restored >= 0)
        ShowSlotColors(change.restored);
    if (change.highlighted >= 0)
        ShowSearchHighlight(change.highlighted);
}

void Pages::Form_KeyUp(int keyCode, int shift) {
    (void)shift;
    if (keyCode == 112) // F1
        ShowHelpPage(program_);
}

void Pages::FixColor() {
    const int slot = search_.Clear();
    if (slot >= 0)
        ShowSlotColors(slot);
}

void Pages::OptionBtn_MouseUp(int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    FocusHoldfocus();
    Options options(program_, this);
    connect(&options, &Options::quickHelpChanged, this, &Pages::ApplyQuickHelpState);
    options.exec();
}

void Pages::UpgradeBtn_MouseUp(int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    AboutForm about(program_, this);
    // Bottom edges level, a little right of the main window's left edge.
    const QRect main = frameGeometry();
    const int frameHeight = about.height() + (frameGeometry().height() - height());
    about.move(main.left() + TwipsToPixels(3550, this), main.bottom() + 1 - frameHeight);
    FocusHoldfocus();
    about.exec();
    if (!isVisible())
        show();
    if (about.LinkUsed())
        Minimize(); // the user went to the browser
}

void Pages::Command1_Click() {
    FocusHoldfocus();
    ShowHelpPage(program_);
}

void Pages::MinimizeBtn_MouseUp(int button, int shift, float x, float y) {
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    FocusHoldfocus();
    minimizeBtn_->setChecked(false);
    Minimize();
}

void Pages::MnuClose_Click() {
    tray_->HideIcon();
    program_.CloseRequested = true;
}

void Pages::MnuCloseMenu_Click() {
    mnuPopup_->hide();
}

// ---- Minimising, closing and the tick ----

void Pages::Minimize() {
    FixColor();
    tray_->Minimize();
}

void Pages::RestoreFromTray() {
    tray_->Restore();
}

void Pages::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    FixColor();
    tray_->WindowStateChanged();
}

void Pages::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplyQuickHelpState();
    tray_->WindowShown();
}

void Pages::closeEvent(QCloseEvent* event) {
    if (program_.settings.MinimizeToTray == 1) {
        // With the tray chosen, the close box only puts the window away.
        event->ignore();
        Minimize();
        return;
    }
    event->accept();
    EndProgram();
}

void Pages::EndProgram() {
    tray_->HideIcon();
    // Every change is on disk already; nothing to save. exit() also ends the event loop
    // of a dialog that may be open.
    QCoreApplication::exit(0);
}

bool Pages::TakePosition(QWidget* window, std::int32_t& top, std::int32_t& left) {
    if (!window->isVisible() || window->isMinimized() || window->isMaximized())
        return false;
    // Compared in pixels: the twips stored are whole pixels' worth only once we stored them.
    const QPoint at = window->pos();
    if (TwipsToPixels(top, window) == at.y() && TwipsToPixels(left, window) == at.x())
        return false;
    top = PixelsToTwips(at.y(), window);
    left = PixelsToTwips(at.x(), window);
    return true;
}

void Pages::Timer1_Timer() {
    if (program_.CloseRequested) {
        EndProgram();
        return;
    }
    Settings& settings = program_.settings;
    bool moved = TakePosition(this, settings.MainTop, settings.MainLeft);
    if (QWidget* doIt = insertionWindow_.data();
        doIt && doIt->isVisible() && !doIt->isMinimized() && !doIt->isMaximized()) {
        if (program_.platform.windows)
            program_.platform.windows->KeepOnTop(doIt->winId());
        moved = TakePosition(doIt, settings.InsertTop, settings.InsertLeft) || moved;
    }
    if (moved)
        SaveSettings(program_);
    tracker_->Poll();
}

// ---- Events ----

void Pages::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyPress(text.at(0).unicode());
    event->accept();
}

void Pages::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && !event->isAutoRepeat()) {
        Form_KeyUp(112, ShiftArg(event->modifiers()));
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

bool Pages::eventFilter(QObject* watched, QEvent* event) {
    const auto found = controls_.constFind(watched);
    if (found == controls_.constEnd())
        return QWidget::eventFilter(watched, event);
    const auto [control, index] = found.value();
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);

    auto* mouse = static_cast<QMouseEvent*>(event);
    if (DragEvent(control, index, mouse))
        return true;
    if (type == QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const auto [button, shift, x, y] = MouseArgsOf(*mouse, this);
    const QPoint at = mouse->position().toPoint();
    const bool press = type == QEvent::MouseButtonPress;
    const bool inside = widget->rect().contains(at);

    switch (control) {
    case Control::Library:
        // Any button switches, on the press; Qt's own toggling is not wanted.
        if (press)
            LibraryBtn_MouseDown(index, button, shift, x, y);
        else if (inside)
            LibraryBtn_MouseUp(index, button, shift, x, y);
        return true;
    case Control::Name:
        if (press) {
            Pagenames_MouseDown(index, button, shift, x, y);
        } else if (inside) {
            Pagenames_MouseUp(index, button, shift, x, y);
        }
        return true;
    case Control::HidesTrash:
        return false;
    case Control::Edit:
    case Control::Option:
    case Control::Upgrade:
    case Control::Minimize:
        // The left button works through clicked(); the others act on release here.
        if (mouse->button() == Qt::LeftButton)
            return false;
        if (press)
            return true;
        if (!inside)
            return true;
        if (control == Control::Edit)
            UseBtn_MouseUp(index, button, shift, x, y);
        else if (control == Control::Option)
            OptionBtn_MouseUp(button, shift, x, y);
        else if (control == Control::Upgrade)
            UpgradeBtn_MouseUp(button, shift, x, y);
        else
            MinimizeBtn_MouseUp(button, shift, x, y);
        return true;
    }
    return false;
}

} // namespace kelpo
