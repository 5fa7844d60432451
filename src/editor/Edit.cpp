#include "editor/Edit.h"

#include "core/ClipCommands.h"
#include "editor/EditHelp.h"
#include "entries/ClipSet.h"
#include "insertion/BrowserLaunch.h"
#include "insertion/OpenEntry.h"
#include "storage/Program.h"
#include "widgets/Colors.h"
#include "widgets/Holdfocus.h"
#include "widgets/MouseEnterTracker.h"
#include "widgets/ReleaseButton.h"
#include "widgets/RowList.h"
#include "widgets/Shell.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QValidator>

#include <algorithm>

namespace kelpo {

namespace {

// The window's layout, in twips.
constexpr int WindowWidth = 10900;
constexpr int WindowHeight = 9150;
constexpr int RowsLeft = 120;
constexpr int RowsTop = 1500;
constexpr int RowWidth = 5900;
constexpr int HideBoxWidth = 900;
constexpr int CommandLeft = 6600;
constexpr int CommandWidth = 1300;
constexpr int CommandHeight = 330;
constexpr int CommandPitch = 375;
constexpr int CommandGapTwips = 240;
constexpr int RightLeft = 8150;
constexpr int SwatchWidth = 480;
constexpr int SwatchHeight = 285;
constexpr int SwatchPitchX = 525;
constexpr int SwatchPitchY = 300;
constexpr int SwatchesLeft = 90;
constexpr int SwatchesTop = 300;
constexpr int MarkerIndex = SwatchCount;

const QColor FocusedRowColor(255, 255, 255);
const QColor RowColor(192, 255, 255); // light cyan

// Refuses any change that would bring in a character the entry files cannot hold, and
// says why; the field keeps what it had.
class StorableText : public QValidator {
public:
    StorableText(std::function<void(const QString&)> refused, QObject* parent)
        : QValidator(parent), refused_(std::move(refused)) {}
    State validate(QString& input, int&) const override {
        const QString bad = FirstUnstorableCharacter(input);
        if (bad.isEmpty())
            return Acceptable;
        refused_(bad);
        return Invalid;
    }

private:
    std::function<void(const QString&)> refused_;
};

QString SwatchStyle(std::uint32_t color, bool marker) {
    const QColor c = ColorFromBgr(color);
    return QStringLiteral("QPushButton { background-color: %1; border: %2px solid %3; }")
        .arg(c.name(), marker ? QStringLiteral("2") : QStringLiteral("1"),
             marker ? QStringLiteral("black") : QStringLiteral("gray"));
}

// The marker's picture: a tick.
QIcon MarkerIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2.5));
    painter.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(7, 12), QPointF(13, 4)}));
    return QIcon(pixmap);
}

QString ColorName(const kelpo::Swatch& swatch) {
    const QColor c = ColorFromBgr(swatch.color);
    return QStringLiteral("Colour red %1, green %2, blue %3")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue());
}

} // namespace

Edit::Edit(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setObjectName(QStringLiteral("Edit"));
    setWindowTitle(QStringLiteral(" Kelpo (Edit)"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(TwipsToPixels(WindowWidth, this), TwipsToPixels(WindowHeight, this));
    holdfocus_ = new Holdfocus(this);

    BuildFields();
    BuildSwatches();
    BuildRows();
    BuildButtons();

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("Notice"));
    notice_->setGeometry(TwipsRect(RowsLeft, 8520, WindowWidth - 2 * RowsLeft, 540, this));
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("color: #a00000;"));

    // Editor load: the window at the main window's place, the other rows, the colour
    // marker, the fields, the repeat list and the help panel.
    if (QWidget* main = parentWidget())
        move(main->pos());
    AddClipRows();
    const std::optional<int> swatch = FindSwatch(program_.CurrentColor);
    if (swatch)
        PlaceMarker(*swatch);
    title_->setText(program_.CurrentName);
    passwordTitle_->setText(program_.CurrentPassword);
    webPageTitle_->setText(program_.CurrentUrl);
    repeater_->addItems(RepeatItems());
    repeater_->setCurrentIndex(-1);
    // Quick help is on or off for the whole opening.
    mouser_ = new MouseEnterTracker(this);
    connect(mouser_, &MouseEnterTracker::MouseEnter, this, &Edit::Mouser_MouseEnter);
    if (program_.settings.QuickHelpOff == 1) {
        mouser_->SetMode(MouseEnterTracker::Off);
        helpLabel_[0]->setText(
            QStringLiteral("Quick Help can be turned on from the Options dialog."));
        helpLabel_[1]->clear();
    }
    helpFrame_->show();

    // Tab order: name, URL, password, then the rows.
    setTabOrder(title_, webPageTitle_);
    setTabOrder(webPageTitle_, passwordTitle_);
    setTabOrder(passwordTitle_, data_[0]);
    for (int i = 1; i < EditRowCount; ++i)
        setTabOrder(data_[i - 1], data_[i]);
    title_->setFocus();

    // Every key of the window is seen here first, whatever field has the focus; so are the
    // rows' focus and mouse events.
    qApp->installEventFilter(this);
}

Edit::~Edit() = default;

void Edit::BuildFields() {
    auto label = [this](const QString& name, const QString& text, QRect twips) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name); // named, so quick help can tell it from its field
        l->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height(), this));
        return l;
    };
    auto field = [this](const QString& name, int maxLength, QRect twips) {
        auto* f = new QLineEdit(this);
        f->setObjectName(name);
        f->setMaxLength(maxLength);
        f->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height(), this));
        f->setValidator(
            new StorableText([this](const QString& c) { ShowNotice(UnstorableNotice(c)); }, f));
        return f;
    };
    QLabel* nameLabel =
        label(QStringLiteral("Label1"), QStringLiteral("Name to show on main window."),
              {RowsLeft, 90, 3200, 240});
    title_ = field(QStringLiteral("Title"), TitleMaxLength, {RowsLeft, 330, 3200, 330});
    QLabel* passwordLabel =
        label(QStringLiteral("Label2"), QStringLiteral("Password"), {3500, 90, 2000, 240});
    passwordTitle_ =
        field(QStringLiteral("PasswordTitle"), PasswordFieldMaxLength, {3500, 330, 2520, 330});
    QLabel* urlLabel = label(QStringLiteral("Label3"), QStringLiteral(" Bookmark (URL)"),
                             {RowsLeft, 750, 2000, 240});
    webPageTitle_ =
        field(QStringLiteral("WebPageTitle"), UrlFieldMaxLength, {RowsLeft, 990, 5900, 330});
    nameLabel->setBuddy(title_);
    passwordLabel->setBuddy(passwordTitle_);
    urlLabel->setBuddy(webPageTitle_);
}

void Edit::BuildSwatches() {
    frame4_ = new QFrame(this);
    frame4_->setObjectName(QStringLiteral("Frame4"));
    frame4_->setFrameShape(QFrame::StyledPanel);
    frame4_->setGeometry(TwipsRect(6240, 90, 4440, 1300, this));
    auto* label = new QLabel(QStringLiteral("Color for name on main window."), frame4_);
    label->setGeometry(TwipsRect(SwatchesLeft, 20, 3600, 260, this));
    for (const kelpo::Swatch& s : Swatches()) {
        auto* button = new QPushButton(frame4_);
        button->setObjectName(QStringLiteral("Clipboardcolor_%1").arg(s.index));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setAccessibleName(ColorName(s));
        button->setStyleSheet(SwatchStyle(s.color, false));
        button->setGeometry(TwipsRect(SwatchesLeft + (s.column - 1) * SwatchPitchX,
                                      SwatchesTop + (s.row - 1) * SwatchPitchY, SwatchWidth,
                                      SwatchHeight, this));
        connect(button, &QPushButton::pressed, this,
                [this, i = s.index] { Clipboardcolor_MouseDown(i); });
        swatches_[s.index] = button;
    }
    // The marker: white with a tick, at its own place until it is put on a swatch.
    auto* marker = new QPushButton(frame4_);
    marker->setObjectName(QStringLiteral("Clipboardcolor_%1").arg(MarkerIndex));
    marker->setFocusPolicy(Qt::NoFocus);
    marker->setAutoDefault(false);
    marker->setAccessibleName(QStringLiteral("Chosen colour"));
    marker->setIcon(MarkerIcon());
    marker->setStyleSheet(SwatchStyle(DefaultColor, true));
    markerDesignPlace_ = TwipsPoint(SwatchesLeft + 7 * SwatchPitchX, 10, this);
    marker->setGeometry(
        QRect(markerDesignPlace_, TwipsRect(0, 0, SwatchWidth, SwatchHeight, this).size()));
    marker->raise();
    connect(marker, &QPushButton::pressed, this, [this] { Clipboardcolor_MouseDown(MarkerIndex); });
    swatches_[MarkerIndex] = marker;
}

void Edit::BuildRows() {
    rows_ = new RowList(EditRowCount, EditRowsInView, EditRowTwips, RowWidth, this);
    rows_->setObjectName(QStringLiteral("EditOuterFrame"));
    rows_->Panel()->setObjectName(QStringLiteral("EditInnerframe"));
    rows_->ScrollBar()->setObjectName(QStringLiteral("EditScroll"));
    rows_->move(TwipsPoint(RowsLeft, RowsTop, this));
    rows_->adjustSize();
    // Rows 0-14 come with the window; the rest are added at load.
    rows_->AddRows(0, 15, [this](int i, QWidget* panel) { return MakeRow(i, panel); });
    rows_->onScrolled = [this](int value) { EditScroll_Change(value); };
}

QWidget* Edit::MakeRow(int index, QWidget* panel) {
    auto* row = new QWidget(panel);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TwipsToPixels(60, this));
    auto* field = new QLineEdit(row);
    field->setObjectName(QStringLiteral("data_%1").arg(index));
    field->setMaxLength(ClipMaxLength);
    field->setAccessibleName(QStringLiteral("Clip %1").arg(index + 1));
    field->setValidator(
        new StorableText([this](const QString& c) { ShowNotice(UnstorableNotice(c)); }, field));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, RowColor);
    field->setPalette(palette);
    auto* hide = new QCheckBox(QStringLiteral("Hide?"), row);
    hide->setObjectName(QStringLiteral("HideOption_%1").arg(index));
    hide->setAccessibleDescription(
        QStringLiteral("Mask clip %1 by stars when used").arg(index + 1));
    hide->setFixedWidth(TwipsToPixels(HideBoxWidth, this));
    layout->addWidget(field, 1);
    layout->addWidget(hide);
    data_[index] = field;
    hideOption_[index] = hide;
    return row;
}

void Edit::AddClipRows() {
    rows_->AddRows(15, EditRowCount, [this](int i, QWidget* panel) { return MakeRow(i, panel); });
}

void Edit::BuildButtons() {
    auto button = [this](const QString& name, const QString& caption, QRect twips) {
        auto* b = new ReleaseButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height(), this));
        return b;
    };
    for (int k = 0; k < EditorCommandCount; ++k) {
        const int index = CommandOrderTopDown[k];
        const EditorCommand& c = EditorCommands[index];
        const int top = RowsTop + k * CommandPitch + (k >= CommandGap ? CommandGapTwips : 0);
        ReleaseButton* b =
            button(QStringLiteral("Names_%1").arg(index), QString::fromLatin1(c.caption),
                   {CommandLeft, top, CommandWidth, CommandHeight});
        b->setAccessibleDescription(QStringLiteral("Insert %1 into the clip list").arg(c.text));
        b->index = index;
        b->onRelease = [this](int i, int, int, float, float) { Names_MouseUp(i); };
        names_[index] = b;
    }

    auto* repeatLabel = new QLabel(QStringLiteral("Repeat"), this);
    repeatLabel->setObjectName(QStringLiteral("Label4"));
    repeatLabel->setGeometry(TwipsRect(RightLeft, RowsTop, 1000, 240, this));
    repeater_ = new QComboBox(this);
    repeater_->setObjectName(QStringLiteral("Repeater"));
    repeater_->setAccessibleName(QStringLiteral("Repeat count"));
    repeater_->setGeometry(TwipsRect(RightLeft, RowsTop + 270, 900, 330, this));
    repeatLabel->setBuddy(repeater_);
    auto* timesLabel = new QLabel(QStringLiteral("Times"), this);
    timesLabel->setObjectName(QStringLiteral("Label5"));
    timesLabel->setGeometry(TwipsRect(RightLeft + 990, RowsTop + 315, 800, 240, this));
    connect(repeater_, &QComboBox::activated, this, &Edit::Repeater_Click);

    // Room for the quick-help panel; it stays out of sight until it has something to say.
    helpFrame_ = new QFrame(this);
    helpFrame_->setObjectName(QStringLiteral("HelpFrame"));
    helpFrame_->setFrameShape(QFrame::StyledPanel);
    helpFrame_->setGeometry(TwipsRect(RightLeft, 2400, 2650, 4300, this));
    helpLabel_[0] = new QLabel(QStringLiteral("Kelpo Quick Help"), helpFrame_);
    helpLabel_[1] = new QLabel(QStringLiteral("Displays help for the item that the mouse is over."),
                               helpFrame_);
    helpLabel_[0]->setGeometry(TwipsRect(60, 60, 2530, 500, this));
    helpLabel_[1]->setGeometry(TwipsRect(60, 600, 2530, 3600, this));
    for (int i = 0; i < 2; ++i) {
        helpLabel_[i]->setObjectName(QStringLiteral("HelpLabel_%1").arg(i));
        helpLabel_[i]->setWordWrap(true);
        helpLabel_[i]->setTextFormat(Qt::PlainText);
        helpLabel_[i]->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    }
    helpFrame_->hide();

    testBtn_ =
        button(QStringLiteral("TestBtn"), QStringLiteral("Test"), {RightLeft, 6880, 1500, 420});
    saveBtn_ =
        button(QStringLiteral("SaveBtn"), QStringLiteral("Save"), {RightLeft, 7380, 1500, 420});
    cancelBtn_ =
        button(QStringLiteral("CancelBtn"), QStringLiteral("Cancel"), {RightLeft, 7880, 1500, 420});
    testBtn_->onRelease = [this](int, int, int, float, float) { TestBtn_MouseUp(); };
    saveBtn_->onRelease = [this](int, int, int, float, float) { SaveBtn_MouseUp(); };
    cancelBtn_->onRelease = [this](int, int, int, float, float) { CancelBtn_MouseUp(); };
    // At 15 twips per pixel the Save button is a little lower, as it always was.
    if (TwipsPerPixel(this) == 15.0)
        saveBtn_->resize(saveBtn_->width(), saveBtn_->height() - TwipsToPixels(20, this));
}

void Edit::SetClip(int row, const QString& text) {
    if (row >= 0 && row < EditRowCount)
        data_[row]->setText(text);
}

void Edit::SetHidden(int row, bool hidden) {
    if (row >= 0 && row < EditRowCount)
        hideOption_[row]->setChecked(hidden);
}

int Edit::ScrollValue() const {
    return rows_->FirstVisible();
}

void Edit::PlaceMarker(int swatch) {
    QPushButton* marker = swatches_[MarkerIndex];
    marker->setGeometry(swatches_[swatch]->geometry());
    marker->setStyleSheet(SwatchStyle(Swatches()[swatch].color, true));
    marker->raise();
}

void Edit::Clipboardcolor_MouseDown(int index) {
    holdfocus_->Take();
    if (index < 0 || index > MarkerIndex)
        return;
    swatches_[index]->setDown(false);
    if (index == MarkerIndex)
        return;
    program_.CurrentColor = Swatches()[index].color;
    PlaceMarker(index);
}

bool Edit::SaveIt(int slot) {
    ClipSet entry;
    entry.Slot = slot;
    entry.Name = title_->text();
    entry.Color = program_.CurrentColor;
    entry.Url = webPageTitle_->text();
    entry.Password = passwordTitle_->text();
    for (int i = 0; i < EditRowCount; ++i) {
        entry.Clips[i] = data_[i]->text();
        entry.Hidden[i] = hideOption_[i]->isChecked() ? 1 : 0;
    }
    QString failed;
    const bool saved = SaveClipSet(program_, entry, &failed);
    // The name is shown at once, "Untitled" included, whether or not the rest was written.
    ShellOf(program_).NamesChanged();
    if (saved)
        return true;
    ShowNotice(QStringLiteral("Not saved: \"%1\" could not be written. Your changes are still "
                              "here; free some disk space or check the folder's rights, then "
                              "click Save again.")
                   .arg(failed));
    return false;
}

void Edit::SaveBtn_MouseUp() {
    program_.TestPageLoaded = 0;
    saveBtn_->setDown(false);
    holdfocus_->Take();
    // A failed write keeps the window open with everything typed.
    if (SaveIt(program_.EditSlot))
        Close(QDialog::Accepted);
}

void Edit::CancelBtn_MouseUp() {
    program_.TestPageLoaded = 0;
    Close(QDialog::Rejected);
}

void Edit::TestBtn_MouseUp() {
    holdfocus_->Take();
    testBtn_->setDown(false);
    const auto blank = [](const QString& text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c == ' '; });
    };
    const bool anyClip = std::any_of(data_.begin(), data_.end(),
                                     [&](const QLineEdit* row) { return !blank(row->text()); });
    if (!anyClip) {
        // Nothing to try: the bookmark alone is opened, on every click.
        QString url = webPageTitle_->text();
        while (url.endsWith(' '))
            url.chop(1);
        if (url.isEmpty())
            return;
        program_.CurrentUrl = url;
        LaunchBrowser(program_);
        return;
    }
    // The entry as shown goes to the test slot; the slot being edited is not touched.
    program_.TestMode = 1;
    if (!SaveIt(TestSlot))
        return; // said in the window, which stays open with everything typed
    Shell& shell = ShellOf(program_);
    hide();
    shell.HideMainWindow();
    shell.ShowInsertionQuickHelp();
    LoadClipSetForUse(program_, TestSlot);
    Close(Tested);
}

void Edit::Mouser_MouseEnter(const QString& formDesc, const QString& controlDesc) {
    (void)formDesc;
    const std::optional<HelpText> help = EditorHelp(controlDesc);
    if (!help)
        return;
    helpLabel_[0]->setText(help->title);
    helpLabel_[1]->setText(HelpForLabel(help->text));
}

void Edit::Close(int result) {
    closing_ = true;
    done(result);
}

void Edit::closeEvent(QCloseEvent* event) {
    // The close box is Cancel.
    if (!closing_)
        program_.TestPageLoaded = 0;
    QDialog::closeEvent(event);
}

void Edit::FocusRow(int row) {
    if (row < 0 || row >= EditRowCount)
        return;
    data_[row]->setFocus(Qt::OtherFocusReason);
}

void Edit::data_GotFocus(int row) {
    data_[row]->selectAll();
    program_.CurrentRow = row;
    QPalette palette = data_[row]->palette();
    palette.setColor(QPalette::Base, FocusedRowColor);
    data_[row]->setPalette(palette);
    const int value = ScrollValue();
    const int next = ScrollForFocus(row, value);
    if (next != value)
        rows_->ScrollBar()->setValue(next);
}

void Edit::data_LostFocus(int row) {
    QPalette palette = data_[row]->palette();
    palette.setColor(QPalette::Base, RowColor);
    data_[row]->setPalette(palette);
}

void Edit::EditScroll_Change(int value) {
    if (!isVisible())
        return;
    QCoreApplication::processEvents();
    FocusRow(RowToFocusAfterScroll(value, program_.CurrentRow));
}

void Edit::RowKey(int key) {
    const int current = std::clamp(program_.CurrentRow, 0, EditRowCount - 1);
    program_.CurrentRow = key == Qt::Key_Up ? PreviousRow(current) : NextRow(current);
    FocusRow(program_.CurrentRow);
}

void Edit::Names_MouseUp(int index) {
    holdfocus_->Take();
    if (index < 0 || index >= EditorCommandCount)
        return;
    const int current = std::clamp(program_.CurrentRow, 0, EditRowCount - 1);
    data_[current]->setText(QString::fromLatin1(EditorCommands[index].text));
    program_.CurrentRow = NextRow(current);
    FocusRow(program_.CurrentRow);
}

void Edit::Repeater_Click(int item) {
    if (item >= 0) {
        EditRows texts;
        for (int i = 0; i < EditRowCount; ++i)
            texts[i] = data_[i]->text();
        const RepeatResult result =
            ApplyRepeat(texts, program_.CurrentRow, repeater_->itemText(item));
        if (result.outcome == RepeatOutcome::Changed)
            data_[result.row]->setText(result.text);
        else if (result.outcome == RepeatOutcome::TooLong)
            ShowNotice(QStringLiteral("The repeat count was not added: clip %1 would be longer "
                                      "than %2 characters.")
                           .arg(result.row + 1)
                           .arg(ClipMaxLength));
    }
    // Not a new choice: the reset does nothing further.
    repeater_->setCurrentIndex(-1);
    FocusRow(std::clamp(program_.CurrentRow, 0, EditRowCount - 1));
}

void Edit::HideOption_MouseUp(int row) {
    (void)row;
    holdfocus_->Take();
}

void Edit::data_MouseDown(int row, QPoint twips) {
    pressRow_ = row;
    pressPoint_ = twips;
}

void Edit::data_MouseMove(int row, QPoint twips, QPoint globalPixels) {
    if (dragSource_ < 0) {
        if (row != pressRow_)
            return;
        const QPoint moved = twips - pressPoint_;
        if (!IsDrag(moved.x(), moved.y()))
            return;
        unsetCursor();
        dragSource_ = row;
        // The outline of the row, following the pointer from where the row was held.
        dragOutline_ = new QLabel(data_[row]->text(), this);
        dragOutline_->setObjectName(QStringLiteral("DragOutline"));
        dragOutline_->setFrameShape(QFrame::Box);
        dragOutline_->setAttribute(Qt::WA_TransparentForMouseEvents);
        dragOutline_->resize(data_[row]->size());
        dragOutline_->show();
    }
    DragOver(globalPixels);
}

void Edit::DragOver(QPoint globalPixels) {
    const QPoint at = mapFromGlobal(globalPixels);
    if (dragOutline_) {
        const QPoint held(TwipsToPixels(pressPoint_.x(), this),
                          TwipsToPixels(pressPoint_.y(), this));
        dragOutline_->move(at - held);
        dragOutline_->raise();
        dragOutline_->hide(); // out of the way of the look-up below
    }
    QWidget* under = childAt(at);
    if (dragOutline_)
        dragOutline_->show();
    // Over the window's own background the list goes to its top; over Test, to its end.
    if (!under)
        rows_->ScrollBar()->setValue(0);
    else if (under == testBtn_)
        rows_->ScrollBar()->setValue(EditScrollMax);
}

void Edit::EndDrag(QPoint globalPixels) {
    const int source = dragSource_;
    dragSource_ = -1;
    pressRow_ = -1;
    delete dragOutline_;
    dragOutline_ = nullptr;
    QWidget* under = childAt(mapFromGlobal(globalPixels));
    for (int j = 0; under && j < EditRowCount; ++j)
        if (under == data_[j] || under == hideOption_[j] || under == data_[j]->parentWidget()) {
            data_DragDrop(source, j);
            return;
        }
}

void Edit::data_DragDrop(int source, int target) {
    if (source < 0 || source >= EditRowCount || target < 0 || target >= EditRowCount)
        return;
    if (source != target) {
        // The texts change places; the hide flags stay with their rows.
        const QString text = data_[target]->text();
        data_[target]->setText(data_[source]->text());
        data_[source]->setText(text);
    }
    program_.CurrentRow = target;
    FocusRow(target);
}

void Edit::ShowNotice(const QString& text) {
    notice_->setText(text);
}

void Edit::keyPressEvent(QKeyEvent* event) {
    // Esc would throw away everything typed; only Cancel and the close box do that.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Edit::WindowKey(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (event->type() == QEvent::KeyRelease)
        return enter; // Enter never reaches the field, going down or coming up
    switch (key) {
    case Qt::Key_F1:
        ShowHelpPage(program_);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        RowKey(Qt::Key_Down);
        return true;
    case Qt::Key_Up:
        RowKey(Qt::Key_Up);
        return true;
    default:
        return false;
    }
}

bool Edit::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Each key is seen once, by the widget that has the focus in this window.
        if (widget && widget->window() == this && widget == QApplication::focusWidget() &&
            WindowKey(static_cast<QKeyEvent*>(event)))
            return true;
        return false;
    }
    // A click into the bookmark field lets the next Test start the browser again.
    if (watched == webPageTitle_ && type == QEvent::FocusIn)
        program_.TestPageLoaded = 0;
    for (int i = 0; i < EditRowCount; ++i) {
        if (watched == hideOption_[i] && type == QEvent::MouseButtonRelease) {
            // After the box toggled, as check boxes do.
            QMetaObject::invokeMethod(
                this, [this, i] { HideOption_MouseUp(i); }, Qt::QueuedConnection);
            return false;
        }
        if (watched != data_[i])
            continue;
        switch (type) {
        case QEvent::FocusIn:
            data_GotFocus(i);
            return false;
        case QEvent::FocusOut:
            data_LostFocus(i);
            return false;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QPoint p = mouse->position().toPoint();
                data_MouseDown(i, {PixelsToTwips(p.x(), this), PixelsToTwips(p.y(), this)});
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton))
                return false;
            const QPoint p = mouse->position().toPoint();
            data_MouseMove(i, {PixelsToTwips(p.x(), this), PixelsToTwips(p.y(), this)},
                           mouse->globalPosition().toPoint());
            return Dragging(); // a drag is not a text selection
        }
        case QEvent::MouseButtonRelease:
            pressRow_ = -1;
            if (Dragging()) {
                EndDrag(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelpo
