#pragma once
// A scrolling list of rows: `rowCount` rows of equal height on an inner panel that moves
// up behind a viewport `visibleRows` rows high, with a scroll bar of 0 to
// rowCount - visibleRows beside it. The rows are whatever widgets the window makes (a clip
// row in the insertion window; a line edit with its check box in the editor).
#include <QWidget>

#include <functional>
#include <vector>

class QFrame;
class QScrollBar;

namespace kelpo {

class RowList : public QWidget {
    Q_OBJECT
public:
    // Makes row `index` as a child of `panel`; the list places and sizes it.
    using RowFactory = std::function<QWidget*(int index, QWidget* panel)>;

    // Sizes in twips.
    RowList(int rowCount, int visibleRows, int rowTwips, int widthTwips, QWidget* parent);

    // Makes the rows `from` to `to` - 1 (windows may make the first ones early and the
    // rest later, as their load asks).
    void AddRows(int from, int to, const RowFactory& make);

    int RowCount() const { return rowCount_; }
    int VisibleRows() const { return visibleRows_; }
    // Row `index`, or null while it is not made (or out of range).
    QWidget* Row(int index) const;

    QFrame* Viewport() const { return viewport_; }
    QWidget* Panel() const { return panel_; }
    QScrollBar* ScrollBar() const { return scroll_; }

    // The first row in view (the scroll bar's value).
    int FirstVisible() const;
    // Moves the panel so that row `first` (bounded to the scroll range) is the first in view;
    // the scroll bar is not moved.
    void ShowFrom(int first);

    // Called after the scroll bar's value changed and the panel moved.
    std::function<void(int first)> onScrolled;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int rowCount_;
    int visibleRows_;
    int rowTwips_;
    QFrame* viewport_ = nullptr;
    QWidget* panel_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    std::vector<QWidget*> rows_;
};

} // namespace kelpo
