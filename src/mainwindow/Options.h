#pragma once
// The Options dialog: quick help on or off, minimise to the task bar or the tray. Each
// choice is saved the moment it is made; there is only a Close button.
#include <QDialog>

#include <array>

class QRadioButton;

namespace kelpo {

struct Program;
class Holdfocus;

class Options : public QDialog {
    Q_OBJECT
public:
    explicit Options(Program& program, QWidget* parent = nullptr);

    // Mouse arguments as widgets/MouseArgs.h says.
    void HelpOption_MouseDown(int index, int button, int shift, float x, float y);
    void MinimizeOption_MouseDown(int index, int button, int shift, float x, float y);
    void CloseBtn_MouseUp(int button, int shift, float x, float y);

signals:
    // The quick-help choice was changed and saved.
    void quickHelpChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceBesideMainWindow();

    Program& program_;
    std::array<QRadioButton*, 2> helpOption_{};
    std::array<QRadioButton*, 2> minimizeOption_{};
    Holdfocus* holdfocus_ = nullptr;
};

} // namespace kelpo
