#pragma once
// The password prompt shown before an entry with a password is opened. Its answer is
// carried by CurrentPassword alone: unchanged when the right password was typed, empty
// when the user gave up (Cancel, Esc, the close box, or "Forgot Password").
#include <QDialog>
#include <QPoint>
#include <QRect>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kelpo {

struct Program;

inline constexpr int PasswordMaxLength = 30;

// Letter case does not matter; blanks do, leading and trailing alike. Letters are
// compared one by one, so "ß" never matches "SS".
bool PasswordMatches(const QString& typed, const QString& stored);

// Top-left of the prompt's frame, in pixels: level with the name of `slot` (its label's
// top inside the main window, `labelTop`), but never hanging below the main window; the
// second column of names (25-49) puts it one column pitch further right.
QPoint PromptPosition(const QRect& mainFrame, int labelTop, int promptHeight, int slot,
                      int columnPitchPixels);

class GetPassword : public QDialog {
    Q_OBJECT
public:
    explicit GetPassword(Program& program, QWidget* parent = nullptr);
    ~GetPassword() override;

    // Beside the name of `slot` in the main window (when there is one).
    void PlaceBesideName(int slot);

    void OKBtn_Click();
    void CancelBtn_Click();
    void ForgotBtn_Click();

    QLineEdit* Text1() const { return text1_; }
    // The short notice shown after a wrong password (the sound may be missing).
    QLabel* WrongLabel() const { return wrongLabel_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter goes down without reaching the text box and acts as OK when it comes up.
    bool HandleEnter(QKeyEvent* event);
    void ShowWrongPassword();

    Program& program_;
    QLineEdit* text1_ = nullptr;
    QLabel* wrongLabel_ = nullptr;
    QTimer* wrongTimer_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QPushButton* forgotBtn_ = nullptr;
    bool enterDown_ = false;
};

// Shows the prompt for `slot` modally. True when the user gave the right password;
// otherwise CurrentPassword is empty.
bool AskForPassword(Program& program, int slot);

} // namespace kelpo
