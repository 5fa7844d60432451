#pragma once
// A one-line label that ends a text too long for it in "…" and then shows the whole text
// as its tooltip. Room at its right end can be kept clear for a mark laid over it. text()
// stays the whole text, for the code and for assistive technology.
#include <QLabel>

namespace kelpo {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent);

    // Pixels at the right end that the text keeps clear of (0: none).
    void SetRightReserve(int pixels);
    int RightReserve() const { return rightReserve_; }

    // The text as drawn: whole, or cut short with "…".
    QString ShownText() const;
    // Where the drawn text ends, in the label's own pixels.
    int ShownTextRight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect TextRect() const;

    int rightReserve_ = 0;
};

} // namespace kelpo
