#pragma once
// Reports which control of a window the mouse pointer has just entered, for quick help and
// the notes panel. A control is named by its object name; a member of an array is named
// "Name_N" and reported as "Name(N)", the form the help tables use. Qt's own inner widgets
// (no name, or a "qt_" name) count as the named control that holds them.
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace kelpo {

// A control description split into its name and array index.
struct ControlDescParts {
    QString name;
    int index = 0;
    bool hasIndex = false;
};

// "Pagenames(12)" gives Pagenames and 12; "NotesText" gives the whole text and index 0.
// The index is the number the text between the first "(" and the closing ")" starts with
// (0 when it starts with none).
ControlDescParts SplitControlDesc(const QString& desc);

class MouseEnterTracker : public QObject {
    Q_OBJECT
public:
    static constexpr int Off = 0;
    static constexpr int On = 2;

    // Watches `window` and every widget it holds, also those added later. Starts on.
    explicit MouseEnterTracker(QWidget* window);

    // On (2) reports enter events; anything else (0) reports nothing.
    void SetMode(int mode);
    int Mode() const { return mode_; }

    // The description the tracker gives `widget`: its own name, or that of the nearest
    // named widget holding it; "" for the window itself.
    QString Describe(const QWidget* widget) const;

signals:
    // On the user-interface thread, each time the pointer enters another control.
    void MouseEnter(const QString& formDesc, const QString& controlDesc);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);
    void Entered(const QString& desc);
    void SettleLeave();

    QPointer<QWidget> window_;
    int mode_ = On;
    QString current_;
    // Leaving a control for the one that holds it brings no enter event; the holder is
    // reported unless an enter to a sibling follows in the same dispatch.
    QString pendingHolder_;
    bool leavePending_ = false;
};

} // namespace kelpo
