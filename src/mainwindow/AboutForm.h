#pragma once
// The About window: version and a link to the upgrades page.
#include <QDialog>

class QLabel;

namespace kelpo {

struct Program;

inline constexpr char UpgradesPage[] = "https://kelpo.app/upgrades";

class AboutForm : public QDialog {
    Q_OBJECT
public:
    explicit AboutForm(Program& program, QWidget* parent = nullptr);

    // True once the link was followed (the main window then gets out of the way).
    bool LinkUsed() const { return linkUsed_; }

    void UrlLabel_MouseUp(int button, int shift, float x, float y);
    void OKButton_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Program& program_;
    bool linkUsed_ = false;
};

} // namespace kelpo
