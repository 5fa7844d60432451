#pragma once
// The Notes window: writes and changes the free-text notes of one entry. It has no cancel:
// however it closes ("Close", Esc or the close box), the text is saved.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kelpo {

struct Program;

class NotesForm : public QDialog {
    Q_OBJECT
public:
    // The notes of `slot` in the current library; `title` is the entry's name ("" for an
    // empty slot). Placed with its right edge level with `mainWindow`'s, tops level.
    NotesForm(Program& program, int slot, const QString& title, QWidget* mainWindow);

    // True once the text was saved on closing; SavedText() is then what the file holds.
    bool Saved() const { return saved_; }
    QString SavedText() const { return savedText_; }

    QPlainTextEdit* Note() const;
    QLabel* Notice() const { return notice_; }

    void OKBtn_Click();

public slots:
    // Every way of closing ends here, and saves first.
    void done(int result) override;

private:
    void Refused(const QString& reason);

    Program& program_;
    int slot_;
    QPlainTextEdit* note_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    bool saved_ = false;
    bool failureSaid_ = false;
    QString savedText_;
};

} // namespace kelpo
