#include "insertion/Delform.h"

#include "entries/EntryOps.h"
#include "platform/WindowSystem.h"
#include "storage/Names.h"
#include "storage/Program.h"
#include "widgets/Shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelpo {

void KeepDialogOnTop(Program& program, QWidget* dialog) {
    if (program.platform.windows)
        program.platform.windows->KeepOnTop(dialog->winId());
}

bool DeletePage(Program& program, int slot) {
    if (slot < 0 || slot >= SlotCount)
        return false;
    program.CurrentColor = DefaultColor;
    // No data file stays open between operations, so there is none to close first.
    const bool ok = EraseEntry(program, {program.LibraryFolder, slot}, NoteFile::Keep);
    // The slot shows as free whatever could be written.
    LoadNames(program);
    ShellOf(program).NamesChanged();
    return ok;
}

Delform::Delform(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setObjectName(QStringLiteral("Delform"));
    setWindowTitle(QStringLiteral(" Forgot Password"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);

    label1_ = new QLabel(QStringLiteral("If you forget the password to a page, you can delete the "
                                        "page so that it is free for re-use."),
                         this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setWordWrap(true);
    label1_->setFixedWidth(label1_->fontMetrics().averageCharWidth() * 50);

    delBtn_ = new QPushButton(QStringLiteral("Delete Page"), this);
    delBtn_->setObjectName(QStringLiteral("DelBtn"));
    cancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    // Deleting must be a deliberate click: Enter does not press it.
    delBtn_->setAutoDefault(false);
    cancelBtn_->setAutoDefault(false);
    connect(delBtn_, &QPushButton::clicked, this, &Delform::DelBtn_Click);
    connect(cancelBtn_, &QPushButton::clicked, this, &Delform::CancelBtn_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(delBtn_);
    buttons->addWidget(cancelBtn_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cancelBtn_->setFocus();
}

void Delform::DelBtn_Click() {
    DeletePage(program_, program_.CurrentSlot);
    program_.CurrentPassword.clear();
    accept();
}

void Delform::CancelBtn_Click() {
    reject();
}

void Delform::reject() {
    program_.CurrentPassword.clear();
    QDialog::reject();
}

void Delform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KeepDialogOnTop(program_, this);
}

} // namespace kelpo
