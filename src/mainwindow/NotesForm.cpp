#include "mainwindow/NotesForm.h"

#include "editor/EditRules.h"
#include "entries/NoteFile.h"
#include "storage/Program.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace kelpo {

namespace {

constexpr int FormWidth = 5400; // twips
constexpr int FormHeight = 4800;

// The note's length as the file will hold it: a line break takes two bytes there.
qsizetype FileLength(const QString& boxText) {
    return boxText.size() + boxText.count('\n');
}

// A text box that takes nothing the note file could not hold: a character outside
// Windows-1252, or more than the note's room. What it refuses, it says through `refused`;
// the text stays as it was.
class NoteBox : public QPlainTextEdit {
public:
    NoteBox(std::function<void(const QString&)> refused, QWidget* parent)
        : QPlainTextEdit(parent), refused_(std::move(refused)) {}

    QString Text() const {
        // The raw text keeps no-break spaces; paragraph ends become line feeds.
        QString text = document()->toRawText();
        text.replace(QChar::ParagraphSeparator, '\n');
        text.replace(QChar::LineSeparator, '\n');
        return text;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        QString typed = event->text();
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            typed = QStringLiteral("\n");
        const bool inserts =
            !typed.isEmpty() && (typed == QLatin1String("\n") || typed == QLatin1String("\t") ||
                                 typed.at(0).unicode() >= 0x20);
        if (inserts && !event->modifiers().testFlag(Qt::ControlModifier) && !Takes(typed))
            return;
        QPlainTextEdit::keyPressEvent(event);
    }

    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasText() && !Takes(source->text()))
            return;
        QPlainTextEdit::insertFromMimeData(source);
    }

    void inputMethodEvent(QInputMethodEvent* event) override {
        if (!event->commitString().isEmpty() && !Takes(event->commitString())) {
            event->setCommitString(QString());
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

private:
    bool Takes(const QString& inserted) {
        const QString bad = FirstUnstorableCharacter(inserted);
        if (!bad.isEmpty()) {
            refused_(QStringLiteral("\"%1\" was not taken: notes can hold only Western "
                                    "European (Windows-1252) characters.")
                         .arg(bad));
            return false;
        }
        const qsizetype after = FileLength(Text()) - FileLength(textCursor().selectedText()) +
                                FileLength(NoteLineFeeds(inserted));
        if (after > NoteMaxLength) {
            refused_(QStringLiteral("That was not taken: notes can hold at most %1 characters.")
                         .arg(NoteMaxLength));
            return false;
        }
        refused_(QString());
        return true;
    }

    std::function<void(const QString&)> refused_;
};

} // namespace

NotesForm::NotesForm(Program& program, int slot, const QString& title, QWidget* mainWindow)
    : QDialog(mainWindow), program_(program), slot_(slot) {
    setObjectName(QStringLiteral("NotesForm"));
    setWindowTitle(QStringLiteral(" Notes for ") + title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(TwipsToPixels(FormWidth, this), TwipsToPixels(FormHeight, this));

    auto* layout = new QVBoxLayout(this);
    note_ = new NoteBox([this](const QString& reason) { Refused(reason); }, this);
    note_->setObjectName(QStringLiteral("Note"));
    note_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    note_->setAccessibleName(QStringLiteral("Notes"));
    layout->addWidget(note_, 1);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("Notice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    notice_->hide();
    layout->addWidget(notice_);
    okBtn_ = new QPushButton(QStringLiteral("Close"), this);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setAutoDefault(false);
    layout->addWidget(okBtn_, 0, Qt::AlignRight);
    connect(okBtn_, &QPushButton::clicked, this, &NotesForm::OKBtn_Click);

    // Opening creates the note file, so an empty slot's notes are saved like any other.
    note_->setPlainText(NoteLineFeeds(OpenNote(program_.LibraryFolder, slot_)));
    note_->moveCursor(QTextCursor::End);

    if (mainWindow) {
        // Right edges level, tops level; the frame is taken to be as wide as the main
        // window's, since this one has none yet.
        const QRect main = mainWindow->frameGeometry();
        const int frameWidth = width() + (main.width() - mainWindow->width());
        move(main.right() + 1 - frameWidth, main.top());
    }
}

QPlainTextEdit* NotesForm::Note() const {
    return note_;
}

void NotesForm::OKBtn_Click() {
    accept();
}

void NotesForm::Refused(const QString& reason) {
    notice_->setText(reason);
    notice_->setVisible(!reason.isEmpty());
}

void NotesForm::done(int result) {
    const QString text = NoteCrLfs(static_cast<NoteBox*>(note_)->Text());
    if (SaveNote(program_.LibraryFolder, slot_, text)) {
        saved_ = true;
        savedText_ = text;
    } else if (!failureSaid_) {
        // The text stays in the window, which stays open, so the user can keep it
        // elsewhere; a second close gives up.
        failureSaid_ = true;
        Refused(QStringLiteral("The notes could not be saved in %1. Copy them elsewhere "
                               "before closing again.")
                    .arg(program_.LibraryFolder));
        return;
    }
    QDialog::done(result);
}

} // namespace kelpo
