#pragma once
// The "Forgot Password" window: the only way past a forgotten password is to delete the
// entry, which frees its slot. The password itself is never shown.
#include <QDialog>

class QLabel;
class QPushButton;

namespace kelpo {

struct Program;

// Deletes the entry of `slot` in the current library: its name record becomes blank and
// white (and the names are reloaded), its URL record blank, its page and hide files are
// removed. Its notes stay. False when a file could not be changed.
bool DeletePage(Program& program, int slot);

class Delform : public QDialog {
    Q_OBJECT
public:
    explicit Delform(Program& program, QWidget* parent = nullptr);

    void DelBtn_Click();
    void CancelBtn_Click();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Program& program_;
    QLabel* label1_ = nullptr;
    QPushButton* delBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
};

// Makes a dialog top-most without moving it (both windows of the password stay above the
// main window and the browser).
void KeepDialogOnTop(Program& program, QWidget* dialog);

} // namespace kelpo
