#pragma once
// The Website Editor: the window in which the user creates or changes one entry (name,
// bookmark, password, colour, and 40 clips with their hide flags). It is modal and
// freshly made for each opening; the rules it applies live in EditRules.
#include "editor/EditRules.h"

#include <QDialog>
#include <QPoint>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelpo {

struct Program;
class Holdfocus;
class MouseEnterTracker;
class ReleaseButton;
class RowList;

class Edit : public QDialog {
    Q_OBJECT
public:
    explicit Edit(Program& program, QWidget* parent = nullptr);
    ~Edit() override;

    // The rows as read from the entry files.
    void SetClip(int row, const QString& text);
    void SetHidden(int row, bool hidden);

    // Writes the window's fields as the entry of `slot`. False, with the reason shown in
    // the window, when a file could not be written.
    bool SaveIt(int slot);

    // Handlers, callable directly with made-up arguments.
    void Clipboardcolor_MouseDown(int index);
    void SaveBtn_MouseUp();
    void CancelBtn_MouseUp();
    void TestBtn_MouseUp();
    void Names_MouseUp(int index);
    void Repeater_Click(int item);
    void data_GotFocus(int row);
    void data_LostFocus(int row);
    void data_MouseDown(int row, QPoint twips);
    void data_MouseMove(int row, QPoint twips, QPoint globalPixels);
    void data_DragDrop(int source, int target);
    void EditScroll_Change(int value);
    void HideOption_MouseUp(int row);
    void RowKey(int key);
    // The pointer entered a control: the help panel explains it (quick help on).
    void Mouser_MouseEnter(const QString& formDesc, const QString& controlDesc);

    // What exec() returns when Test closed the window: the insertion window has taken
    // over, so the main window stays hidden.
    static constexpr int Tested = 2;

    // What the window shows, for its callers and tests.
    QLineEdit* Title() const { return title_; }
    QLineEdit* WebPageTitle() const { return webPageTitle_; }
    QLineEdit* PasswordTitle() const { return passwordTitle_; }
    QLineEdit* Data(int row) const { return data_[row]; }
    QCheckBox* HideOption(int row) const { return hideOption_[row]; }
    QPushButton* Swatch(int index) const { return swatches_[index]; }
    QComboBox* Repeater() const { return repeater_; }
    QLabel* Notice() const { return notice_; }
    int ScrollValue() const;
    MouseEnterTracker* Mouser() const { return mouser_; }
    QLabel* HelpLabel(int i) const { return helpLabel_[i]; }
    bool Dragging() const { return dragSource_ >= 0; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildFields();
    void BuildSwatches();
    void BuildRows();
    void BuildButtons();
    QWidget* MakeRow(int index, QWidget* panel);
    void AddClipRows();
    void PlaceMarker(int swatch);
    void FocusRow(int row);
    void ShowNotice(const QString& text);
    // A key seen at window level before the field that has the focus; true when taken.
    bool WindowKey(QKeyEvent* event);
    void DragOver(QPoint globalPixels);
    void EndDrag(QPoint globalPixels);
    void Close(int result);

    Program& program_;
    Holdfocus* holdfocus_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* webPageTitle_ = nullptr;
    QLineEdit* passwordTitle_ = nullptr;
    QFrame* frame4_ = nullptr;
    std::array<QPushButton*, SwatchCount + 1> swatches_{};
    QPoint markerDesignPlace_;
    RowList* rows_ = nullptr;
    std::array<QLineEdit*, EditRowCount> data_{};
    std::array<QCheckBox*, EditRowCount> hideOption_{};
    std::array<ReleaseButton*, EditorCommandCount> names_{};
    QComboBox* repeater_ = nullptr;
    ReleaseButton* testBtn_ = nullptr;
    ReleaseButton* saveBtn_ = nullptr;
    ReleaseButton* cancelBtn_ = nullptr;
    QFrame* helpFrame_ = nullptr;
    std::array<QLabel*, 2> helpLabel_{};
    QLabel* notice_ = nullptr;
    MouseEnterTracker* mouser_ = nullptr;

    // The row drag: the row pressed, where (twips in the row), and the outline that
    // follows the pointer once the press became a drag.
    int pressRow_ = -1;
    QPoint pressPoint_;
    int dragSource_ = -1;
    QLabel* dragOutline_ = nullptr;
    bool closing_ = false;
};

} // namespace kelpo
