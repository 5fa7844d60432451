// The main window's drag and drop: names moved, copied and erased, libraries moved,
// copied, erased and named in place. The rules and the files are in EntryOps and
// LibraryOps; the state of a drag is NameDrag's.
#include "entries/EntryOps.h"
#include "entries/LibraryOps.h"
#include "mainwindow/LibNames.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Program.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MouseArgs.h"
#include "widgets/Notice.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace kelpo {

namespace {

using Kind = NameDrag::Kind;

int ButtonsArg(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

} // namespace

void Pages::BuildDrag() {
    dragOutline_ = new QLabel(this);
    dragOutline_->setObjectName("DragOutline");
    dragOutline_->setFrameShape(QFrame::Box);
    dragOutline_->setLineWidth(1);
    dragOutline_->setTextFormat(Qt::PlainText);
    dragOutline_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragOutline_->setAutoFillBackground(true);
    dragOutline_->hide();

    // A move without a button over any of these puts the trash away after a drop.
    for (QWidget* widget : {static_cast<QWidget*>(libraryFrame_), static_cast<QWidget*>(notesText_),
                            trashFrame_->findChild<QWidget*>("Trashlabel")})
        Watch(widget, Control::HidesTrash);
    for (QObject* control : controls_.keys())
        static_cast<QWidget*>(control)->setMouseTracking(true);

    drag_.canDrag = [this](Place source) {
        if (source.kind == Kind::Name)
            return !program_.SlotNames[source.index].isEmpty();
        return source.kind == Kind::Library && !program_.LibraryNames[source.index].isEmpty();
    };
    drag_.began = [this](Place source, int button) { DragBegan(source, button); };
    drag_.over = [this](Place source, Place place) { DragOver(source, place); };
    drag_.dropped = [this](Place source, Place target, int button) {
        Dropped(source, target, button);
    };
}

bool Pages::DragEvent(Control control, int index, QMouseEvent* mouse) {
    Place here;
    if (control == Control::Name)
        here = {Kind::Name, index};
    else if (control == Control::Library)
        here = {Kind::Library, index};
    // Within the pressed control, which keeps the mouse until every button is up.
    const MouseArgs args = MouseArgsOf(*mouse, this);
    const QPointF twips(args.x, args.y);
    const Place under = PlaceAt(mouse->globalPosition().toPoint());
    switch (mouse->type()) {
    case QEvent::MouseButtonPress:
        if (here.kind != Kind::None)
            drag_.Press(here, twips);
        return drag_.Dragging();
    case QEvent::MouseMove:
        if (mouse->buttons() == Qt::NoButton) {
            if (!drag_.Dragging() && (here.kind != Kind::None || control == Control::HidesTrash))
                trashFrame_->hide();
            return false;
        }
        return drag_.Move(ButtonsArg(mouse->buttons()), twips, under);
    case QEvent::MouseButtonRelease:
        return drag_.Release(ButtonsArg(mouse->buttons()), under);
    default:
        return false;
    }
}

NameDrag::Place Pages::PlaceAt(const QPoint& global) const {
    for (QWidget* w = childAt(mapFromGlobal(global)); w && w != this; w = w->parentWidget()) {
        if (w == trashFrame_)
            return trashFrame_->isVisible() ? Place{Kind::Trash, 0} : Place{};
        const auto found = controls_.constFind(w);
        if (found == controls_.constEnd())
            continue;
        if (found->first == Control::Name)
            return {Kind::Name, found->second};
        if (found->first == Control::Library)
            return {Kind::Library, found->second};
    }
    return {};
}

void Pages::DragBegan(Place source, int button) {
    dragLibrary_ = program_.settings.Library;
    dragFolder_ = program_.LibraryFolder;
    QWidget* from = source.kind == Kind::Name ? static_cast<QWidget*>(pagenames_[source.index])
                                              : libraryBtn_[source.index];
    dragOutline_->setText(source.kind == Kind::Name ? program_.SlotNames[source.index]
                                                    : program_.LibraryNames[source.index]);
    dragOutline_->resize(from->size());
    dragOutline_->setPalette(from->palette()); // the name's own colour
    QApplication::setOverrideCursor(button == 2 ? Qt::DragCopyCursor : Qt::DragMoveCursor);
    trashFrame_->show();
    trashFrame_->raise();
}

void Pages::DragOver(Place source, Place place) {
    dragOutline_->move(mapFromGlobal(QCursor::pos()) + QPoint(4, 4));
    dragOutline_->show();
    dragOutline_->raise();
    if (place.kind == Kind::Library)
        LibraryBtn_DragOver(place.index, source);
    else if (place.kind == Kind::Trash)
        Trashlabel_DragOver(source);
}

void Pages::Dropped(Place source, Place target, int button) {
    (void)button;
    dragOutline_->hide();
    QApplication::restoreOverrideCursor();
    if (target.kind == Kind::Name)
        Pagenames_DragDrop(target.index, source);
    else if (target.kind == Kind::Library)
        LibraryBtn_DragDrop(target.index, source);
    else if (target.kind == Kind::Trash)
        Trashlabel_DragDrop(source);
}

void Pages::ShowNotices(const QStringList& notices) {
    for (const QString& notice : notices)
        ShowNotice(this, notice);
}

// ---- Handlers ----

void Pages::Pagenames_MouseDown(int index, int button, int shift, float x, float y) {
    (void)index;
    (void)button;
    (void)shift;
    FixColor();
    if (NamingLibrary())
        FocusHoldfocus(); // a click elsewhere stores the name being edited
    downX_ = x;
    downY_ = y;
}

void Pages::Pagenames_DragDrop(int index, Place source) {
    if (source.kind != Kind::Name || index < 0 || index >= VisibleSlotCount ||
        !program_.SlotNames[index].isEmpty())
        return;
    // By place, not by slot number alone: the same number in another library is free.
    const EntryPlace from{dragFolder_, source.index};
    const EntryPlace to{program_.LibraryFolder, index};
    if (drag_.Button() == 2)
        CopyEntry(program_, from, to);
    else
        MoveEntry(program_, from, to);
    LoadNames(program_);
    RefreshNames();
}

void Pages::LibraryBtn_DragOver(int index, Place source) {
    if (source.kind == Kind::Name && index != program_.settings.Library) {
        libraryBtn_[index]->setChecked(true);
        LibraryBtn_MouseDown(index, 0, 0, 0, 0);
    }
}

void Pages::Trashlabel_DragOver(Place source) {
    // A name is always erased in the library it came from, in sight.
    if (source.kind == Kind::Name && program_.settings.Library != dragLibrary_)
        LibraryBtn_MouseDown(dragLibrary_, 0, 0, 0, 0);
}

void Pages::Trashlabel_DragDrop(Place source) {
    if (source.kind == Kind::Name) {
        Trashlabel_DragOver(source);
        EraseEntry(program_, {dragFolder_, source.index});
        LoadNames(program_);
        RefreshNames();
        return;
    }
    if (source.kind != Kind::Library)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LibraryOutcome outcome = EraseLibrary(program_, source.index);
    LibraryBtn_MouseDown(source.index == 0 ? 1 : 0, 0, 0, 0, 0);
    RefreshLibraryNames();
    QApplication::restoreOverrideCursor();
    ShowNotices(outcome.notices);
}

void Pages::LibraryBtn_DragDrop(int index, Place source) {
    if (source.kind != Kind::Library || source.index == index)
        return;
    if (NamingLibrary())
        FocusHoldfocus(); // stores the name being edited first
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LibraryOutcome outcome = MoveLibrary(program_, source.index, index, drag_.Button() == 2);
    RefreshLibraryNames();
    LibraryBtn_MouseDown(index, 0, 0, 0, 0);
    QApplication::restoreOverrideCursor();
    ShowNotices(outcome.notices);
}

void Pages::LibraryBtn_MouseUp(int index, int button, int shift, float x, float y) {
    (void)shift;
    (void)x;
    (void)y;
    if (button != 2 || index < 0 || index >= LibraryCount || NamingLibrary())
        return;
    QPushButton* target = libraryBtn_[index];
    if (!libNames_) {
        libNames_ = new LibNames(libraryFrame_);
        connect(libNames_, &LibNames::storeRequested, this, &Pages::LibNames_Store);
    }
    libNames_->setGeometry(target->geometry());
    libNames_->setText(program_.LibraryNames[index]);
    namingLibrary_ = index;
    libNames_->show();
    target->hide();
    libNames_->selectAll();
    libNames_->setFocus(Qt::MouseFocusReason);
}

void Pages::LibNames_Store() {
    const int library = namingLibrary_;
    if (!libNames_ || library < 0 || library >= LibraryCount)
        return;
    // Reloads the library names, failure or not (a failed write is reported once).
    WriteLibraryName(program_, library, libNames_->text());
    RefreshLibraryNames();
    libraryBtn_[library]->show();
    libNames_->hide();
    FocusHoldfocus();
}

} // namespace kelpo
