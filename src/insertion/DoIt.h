#pragma once
// The insertion window: the clips of the entry in use, typed into the target on a click.
// It stays on top and never takes the keyboard focus, so the browser keeps it while the
// user clicks here.
#include "core/Constants.h"
#include "insertion/Sending.h"

#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;

namespace kelpo {

struct Program;
class ClipRow;
class Holdfocus;
class ReleaseButton;
class RowList;

inline constexpr int InsertionRowTwips = 288; // rows are this far apart
inline constexpr int InsertionVisibleRows = 23;
inline constexpr int InsertionFirstRows = 15; // rows that exist before AddInsertionRows

class DoIt : public QWidget, public InsertionActions {
    Q_OBJECT
public:
    explicit DoIt(Program& program, QWidget* parent = nullptr);
    ~DoIt() override;

    // Row `row` (0-39) masks its clip with stars when `hidden`.
    void SetRowHidden(int row, bool hidden);
    // Row `row` shows `clip` (or as many stars, when hidden) and the clip pointer when
    // the clip is not empty.
    void SetRowClip(int row, const QString& clip);
    // Shows the window in place of the main window.
    void ShowForUse();
    // The quick-help panel, shown only while an entry is being tested.
    void SetQuickHelpVisible(bool visible);

    bool KeyHandling() const { return keyHandling_; }

    // What the senders need from this window.
    void SetKeyHandling(bool on) override;
    void MinimizeProgram() override;
    void MinimizeThis() override;
    void ProcessEvents() override;

    // Handlers, callable directly with made-up arguments.
    void Names_MouseUp(int index, int button, int shift, float x, float y);
    void LeftBtn_MouseUp();
    void RightBtn_MouseUp();
    void ClickBtn_MouseUp();
    void AutoBtn_MouseUp();
    void UsePageBtn_MouseUp();
    void MinimizeBtn2_MouseUp();
    void MinimizeBtn_MouseUp();
    void EditBtn_MouseUp();
    void HelpBtn_MouseUp();
    void UseScroll_Change(int value);
    void Holdfocus_GotFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Gives the keyboard back to the target when this window took it (it never should).
    void HandBackActivation();
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    QWidget* MakeRow(int index, QWidget* panel);
    void AddInsertionRows();
    ReleaseButton* MakeButton(const QString& name, const QString& caption);
    void ShowCaption(int row);
    void FocusHoldfocus();
    void ScheduleResizeRule(bool focusArrives);
    void ApplyResizeRule();
    // Runs a sending action unless one is already running (events are processed while
    // keys are sent, and a second click must not interleave its keys with the first).
    template <typename Action> void Sending(Action action);

    Program& program_;
    bool keyHandling_ = true;
    bool sending_ = false;
    bool resizeRulePending_ = false;
    bool focusPending_ = false;
    // The tray icon is up as this window's way back (see MinimizeBtn2_MouseUp).
    bool trayIsOurs_ = false;

    std::array<ClipRow*, ClipCount> names_{};
    std::array<QCheckBox*, ClipCount> hideOption_{};
    std::array<QString, ClipCount> rowClips_;
    std::array<bool, ClipCount> rowHidden_{};

    Holdfocus* holdfocus_ = nullptr;
    RowList* rows_ = nullptr;
    QFrame* useControlFrame_ = nullptr;
    ReleaseButton* usePageBtn_ = nullptr;
    ReleaseButton* minimizeBtn2_ = nullptr;
    ReleaseButton* editBtn_ = nullptr;
    ReleaseButton* autoBtn_ = nullptr;
    ReleaseButton* leftBtn_ = nullptr;
    ReleaseButton* rightBtn_ = nullptr;
    ReleaseButton* clickBtn_ = nullptr;
    ReleaseButton* minimizeBtn_ = nullptr;
    ReleaseButton* helpBtn_ = nullptr;
    QFrame* helpFrame_ = nullptr;
    QLabel* helpLabel_ = nullptr;
};

} // namespace kelpo
