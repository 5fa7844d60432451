#pragma once
// The main window: library buttons, the 50 name slots, notes and quick help.
#include "core/Constants.h"
#include "mainwindow/NameDrag.h"
#include "mainwindow/Search.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace kelpo {

struct Program;
class ElidedLabel;
class ForegroundTracker;
class Holdfocus;
class MouseEnterTracker;
class LibNames;
class TrayController;

// The layout, in twips.
namespace PagesLayout {
inline constexpr int Margin = 120;
inline constexpr int ColumnPitch = NameColumnPitchTwips;
inline constexpr int RowPitch = 285;
inline constexpr int NameWidth = 1980;
inline constexpr int NameHeight = 270;
inline constexpr int EditOffset = 2040; // Edit button, from the column's left edge
inline constexpr int EditWidth = 540;
inline constexpr int RowsPerColumn = NamesPerColumn;
inline constexpr int GridHeight = RowsPerColumn * RowPitch;
inline constexpr int LibraryLeft = Margin + 2 * ColumnPitch;
inline constexpr int LibraryWidth = 1860;
inline constexpr int LibraryPitch = 375; // 19 buttons as high as the 25 name rows
inline constexpr int LibraryHeight = 360;
inline constexpr int PanelLeft = LibraryLeft + LibraryWidth + Margin;
inline constexpr int PanelWidth = 3000;
inline constexpr int NotesHeight = 3000;
inline constexpr int HelpTop = Margin + NotesHeight + Margin;
inline constexpr int HelpHeight = Margin + GridHeight - HelpTop;
inline constexpr int BarTop = Margin + GridHeight + Margin;
inline constexpr int BarHeight = 540;
inline constexpr int BarButtonWidth = 950;
inline constexpr int BarButtonHeight = 360;
inline constexpr int WindowWidth = PanelLeft + PanelWidth + Margin;
inline constexpr int WindowHeight = BarTop + BarHeight;
inline constexpr int PointerSize = 480;
inline constexpr int TestSlotTop = WindowHeight + 600; // below the window, never seen
} // namespace PagesLayout

// Mouse arguments of the handlers as widgets/MouseArgs.h says.
class Pages : public QWidget {
    Q_OBJECT
public:
    explicit Pages(Program& program, QWidget* parent = nullptr);
    ~Pages() override;

    // Shows SlotNames / SlotColors on the name labels.
    void RefreshNames();
    // Shows LibraryNames on the library buttons.
    void RefreshLibraryNames();
    // Highlights the current library's button.
    void RefreshLibraryButtons();
    // Minimises the main window (to the task bar or the tray, as the options say).
    void Minimize();
    // Brings the main window back in its normal state (from the tray or the task bar).
    void RestoreFromTray();
    // Shows the quick-help panel as QuickHelpOff says, with the Minimize box while it is off.
    void ApplyQuickHelpState();
    // Stops (true) and restarts (false) the one-second tick.
    void PauseTimer(bool paused);
    // The insertion window, which the tick keeps on top and whose moves it stores.
    void SetInsertionWindow(QWidget* window);

    void LibraryBtn_MouseDown(int index, int button, int shift, float x, float y);
    void Pagenames_MouseUp(int index, int button, int shift, float x, float y);
    void UseBtn_MouseUp(int index, int button, int shift, float x, float y);
    void Form_KeyPress(int keyAscii);
    void Form_KeyUp(int keyCode, int shift);
    void FixColor();
    void OptionBtn_MouseUp(int button, int shift, float x, float y);
    void UpgradeBtn_MouseUp(int button, int shift, float x, float y);
    void Command1_Click();
    void MinimizeBtn_MouseUp(int button, int shift, float x, float y);
    void MnuClose_Click();
    void MnuCloseMenu_Click();
    void Timer1_Timer();
    // The pointer entered a control: the notes panel follows the names, the help panel
    // every control while quick help is on.
    void Mouser_MouseEnter(const QString& formDesc, const QString& controlDesc);

    MouseEnterTracker* Mouser() const { return mouser_; }

    // Rearranging by drag and drop (PagesDrag.cpp). A source or target is a name slot,
    // a library button or the trash, as NameDrag names them.
    using Place = NameDrag::Place;
    void Pagenames_MouseDown(int index, int button, int shift, float x, float y);
    void Pagenames_DragDrop(int index, Place source);
    void LibraryBtn_DragOver(int index, Place source);
    void Trashlabel_DragOver(Place source);
    void Trashlabel_DragDrop(Place source);
    void LibraryBtn_DragDrop(int index, Place source);
    // The right button opens the name editor over the button.
    void LibraryBtn_MouseUp(int index, int button, int shift, float x, float y);
    // Stores the name in the editor as the name of the library being named.
    void LibNames_Store();

    // The label of slot 0-50 (windows placed beside a name need its place).
    QWidget* NameLabel(int slot) const;
    // Whether a library's name is being edited in place.
    bool NamingLibrary() const;
    QMenu* PopupMenu() const { return mnuPopup_; }
    // The slot highlighted by the first-letter search, or -1.
    int SearchSlot() const { return search_.Highlighted(); }
    // Where the last press on a name or library button was (a drag may follow).
    float DownX() const { return downX_; }
    float DownY() const { return downY_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Control { Name, Edit, Library, Option, Upgrade, Minimize, HidesTrash };

    void BuildWindow();
    void BuildPanels();
    void BuildBar();
    void Watch(QWidget* widget, Control control, int index = 0);
    void FocusHoldfocus();
    void LayOutHelp();
    void ShowNotes(int slot);
    void OpenNotes(int slot);
    void ShowSlotColors(int slot);
    void ShowSearchHighlight(int slot);
    void PlacePointer(int slot);
    void HidePointer();
    void EndProgram();
    // Takes a moved window's place into the settings; true when it changed.
    bool TakePosition(QWidget* window, std::int32_t& top, std::int32_t& left);
    void BuildDrag();
    // The drag's share of the mouse events on the names and library buttons; true when
    // the event belongs to a drag.
    bool DragEvent(Control control, int index, QMouseEvent* mouse);
    Place PlaceAt(const QPoint& global) const;
    void DragBegan(Place source, int button);
    void DragOver(Place source, Place place);
    void Dropped(Place source, Place target, int button);
    void ShowNotices(const QStringList& notices);

    Program& program_;
    FirstLetterSearch search_;
    float downX_ = 0;
    float downY_ = 0;

    std::array<ElidedLabel*, SlotCount> pagenames_{};
    std::array<QPushButton*, VisibleSlotCount> useBtn_{};
    std::array<QPushButton*, LibraryCount> libraryBtn_{};
    QFrame* libraryFrame_ = nullptr;
    LibNames* libNames_ = nullptr;
    int namingLibrary_ = -1;
    NameDrag drag_;
    int dragLibrary_ = 0; // the library a dragged name came from
    QString dragFolder_;  // and its folder
    QLabel* dragOutline_ = nullptr;
    QLabel* pointer_ = nullptr;
    Holdfocus* holdfocus_ = nullptr;
    QFrame* notesFrame_ = nullptr;
    QLabel* notesText_ = nullptr;
    QFrame* helpFrame_ = nullptr;
    std::array<QLabel*, 2> helpLabel_{};
    QFrame* trashFrame_ = nullptr;
    QCheckBox* minimizeBtn_ = nullptr;
    QFrame* picture2_ = nullptr;
    QPushButton* optionBtn_ = nullptr;
    QPushButton* upgradeBtn_ = nullptr;
    QPushButton* command1_ = nullptr;
    QMenu* mnuPopup_ = nullptr;
    QTimer* timer1_ = nullptr;
    MouseEnterTracker* mouser_ = nullptr;
    QHash<QObject*, std::pair<Control, int>> controls_;
    QPointer<QWidget> insertionWindow_;
    std::unique_ptr<ForegroundTracker> tracker_;
    std::unique_ptr<TrayController> tray_;
};

} // namespace kelpo
