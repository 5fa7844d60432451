// The mouse-enter tracker over a window of its own, fed with enter and leave events as
// Qt delivers them when the pointer moves.
#include "widgets/MouseEnterTracker.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace kelpo;

namespace {

struct Window {
    QWidget window;
    QLabel* name3 = new QLabel(&window);
    QLabel* name4 = new QLabel(&window);
    QFrame* frame = new QFrame(&window);
    QPushButton* library2 = new QPushButton(frame);
    QPushButton* library3 = new QPushButton(frame);
    QComboBox* repeater = new QComboBox(&window);
    MouseEnterTracker* tracker = nullptr;
    std::unique_ptr<QSignalSpy> spy;

    Window() {
        window.setObjectName("Edit");
        name3->setObjectName("Pagenames_3");
        name4->setObjectName("Pagenames_4");
        frame->setObjectName("LibraryFrame");
        library2->setObjectName("LibraryBtn_2");
        library3->setObjectName("LibraryBtn_3");
        repeater->setObjectName("Repeater");
        repeater->setEditable(true); // holds a line edit of Qt's own
        tracker = new MouseEnterTracker(&window);
        spy = std::make_unique<QSignalSpy>(tracker, &MouseEnterTracker::MouseEnter);
    }
    static void Enter(QWidget* widget) {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(widget, &event);
    }
    static void Leave(QWidget* widget) {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(widget, &event);
    }
    // Qt's order when the pointer goes straight from one widget to another.
    static void Move(QWidget* from, QWidget* to) {
        Leave(from);
        Enter(to);
    }
    QStringList Reports() {
        QCoreApplication::processEvents();
        QStringList seen;
        for (const QList<QVariant>& args : *spy) {
            CheckForm(args.at(0).toString());
            seen << args.at(1).toString();
        }
        spy->clear();
        return seen;
    }
    static void CheckForm(const QString& form) { QCOMPARE(form, QString("Edit")); }
};

} // namespace

class MouseEnterTest : public QObject {
    Q_OBJECT
private slots:
    void reportsEachControlEnteredInOrderWithArrayIndexes() {
        Window w;
        w.Enter(w.name3);
        w.Move(w.name3, w.name4);
        QCOMPARE(w.Reports(), QStringList({"Pagenames(3)", "Pagenames(4)"}));
        // Back to the window's own background and into the same name again: news again.
        w.Leave(w.name4);
        QCoreApplication::processEvents();
        w.Enter(w.name4);
        QCOMPARE(w.Reports(), QStringList({"Pagenames(4)"}));
        // From a button straight to its neighbour: only the neighbour, not the frame
        // between; leaving a button for the frame around it reports the frame.
        w.Move(w.name4, w.frame);
        w.Enter(w.library2);
        w.Move(w.library2, w.library3);
        w.Leave(w.library3);
        QCOMPARE(w.Reports(),
                 QStringList({"LibraryFrame", "LibraryBtn(2)", "LibraryBtn(3)", "LibraryFrame"}));
    }

    void innerWidgetsOfQtCountAsTheirControlAndLaterWidgetsAreWatched() {
        Window w;
        QWidget* inner = w.repeater->lineEdit();
        QVERIFY(inner);
        w.Enter(w.repeater);
        w.Enter(inner);
        w.Leave(inner);
        QCOMPARE(w.Reports(), QStringList({"Repeater"}));
        auto* late = new QLabel(w.frame);
        late->setObjectName("HideOption_39");
        w.Enter(late);
        QCOMPARE(w.Reports(), QStringList({"HideOption(39)"}));
        QCOMPARE(w.tracker->Describe(&w.window), QString());
        // A dialog opened over the window is a window of its own.
        auto* dialog = new QWidget(&w.window, Qt::Dialog);
        auto* field = new QLabel(dialog);
        field->setObjectName("Note");
        w.Enter(field);
        QCOMPARE(w.Reports(), QStringList());
    }

    void modeZeroReportsNothingAndTwoResumes() {
        Window w;
        w.Enter(w.name3);
        QCOMPARE(w.Reports(), QStringList({"Pagenames(3)"}));
        w.tracker->SetMode(MouseEnterTracker::Off);
        w.Move(w.name3, w.name4);
        w.Move(w.name4, w.library2);
        w.Leave(w.library2);
        QCOMPARE(w.Reports(), QStringList());
        w.tracker->SetMode(MouseEnterTracker::On);
        QCOMPARE(w.tracker->Mode(), 2);
        // The control under the pointer when reports resume is reported on the next enter.
        w.Enter(w.library2);
        QCOMPARE(w.Reports(), QStringList({"LibraryBtn(2)"}));
        // Any mode but 2 is off.
        w.tracker->SetMode(1);
        w.Enter(w.name3);
        QCOMPARE(w.Reports(), QStringList());
    }
};

QTEST_MAIN(MouseEnterTest)
#include "mouseenter_test.moc"
