// A log-in form for the end-to-end tests of the insertion window: user, password and notes
// fields and a default "Sign in" button, like a web page's form. It records its state as
// JSON after every change, so a test can check what each field holds, how often the form
// was submitted (and when, on the monotonic clock), which field has the focus, and how many
// key presses reached it.
//
//   formtarget --out FILE [--client]
//
// Once it is shown and active it prints "ready <window id>" and, for each field and the
// button, "<name> <x> <y>": the centre in screen coordinates, or with --client in the
// window's client coordinates (under Wayland, where a window does not know its place).
// After a submit the fields are cleared and the focus goes back to the user field, as a
// page reload would do.
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QFile>
#include <QFormLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"out", "file that receives the state", "file"});
    parser.addOption({"client", "print the places in the window's client coordinates"});
    parser.process(app);
    const QString out = parser.value("out");
    const bool client = parser.isSet("client");

    QDialog form;
    form.setWindowTitle(QStringLiteral("Sign in - Form Target"));
    auto* layout = new QFormLayout(&form);
    auto field = [&](const char* name) {
        auto* edit = new QLineEdit(&form);
        edit->setObjectName(name);
        layout->addRow(QString::fromLatin1(name), edit);
        return edit;
    };
    QLineEdit *user = field("user"), *password = field("password"), *notes = field("notes");
    auto* submit = new QPushButton(QStringLiteral("Sign in"), &form);
    submit->setObjectName("submit");
    submit->setDefault(true);
    layout->addRow(submit);
    form.setMinimumWidth(420);
    form.move(760, 560);
    auto texts = [&] {
        return QJsonObject{
            {"user", user->text()}, {"password", password->text()}, {"notes", notes->text()}};
    };

    int submitted = 0;
    int keys = 0;
    qint64 submittedAt = 0;
    QJsonObject last;
    auto save = [&] {
        QJsonObject state = texts();
        const QWidget* focus = QApplication::focusWidget();
        state["focus"] = focus ? focus->objectName() : QString();
        state["submitted"] = submitted;
        state["keys"] = keys;
        state["submittedAt"] = QString::number(submittedAt);
        state["last"] = last;
        // Written whole and renamed into place, so a reader never sees half a state; not
        // synced to disk, which would slow the form down and with it every wait for it.
        const QString temporary = out + QStringLiteral(".tmp");
        if (QFile file(temporary); file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QJsonDocument(state).toJson(QJsonDocument::Compact));
            file.close();
            std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(out).constData());
        }
    };
    for (QLineEdit* edit : {user, password, notes})
        QObject::connect(edit, &QLineEdit::textChanged, save);
    // Every key press the server hands the form, Tab and lone modifiers included (they show
    // in no field): seen once, as it reaches the window.
    struct KeyCounter : QObject {
        std::function<void()> onKey;
        bool eventFilter(QObject* receiver, QEvent* event) override {
            if (event->type() == QEvent::KeyPress && receiver->isWindowType())
                onKey();
            return false;
        }
    } counter;
    counter.onKey = [&] {
        ++keys;
        save();
    };
    app.installEventFilter(&counter);
    QObject::connect(qApp, &QApplication::focusChanged, save);
    // Enter in any field presses the default button, as in a web form.
    QObject::connect(submit, &QPushButton::clicked, [&] {
        submittedAt = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
        ++submitted;
        last = texts();
        for (QLineEdit* edit : {user, password, notes})
            edit->clear();
        user->setFocus();
        save();
    });

    save();

    form.show();
    form.activateWindow();
    user->setFocus();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!form.isActiveWindow() || !user->hasFocus()) {
            form.activateWindow();
            return;
        }
        poll.stop();
        std::printf("ready %llu\n", static_cast<unsigned long long>(form.winId()));
        for (QWidget* w : std::initializer_list<QWidget*>{user, password, notes, submit}) {
            const QPoint c =
                client ? w->mapTo(&form, w->rect().center()) : w->mapToGlobal(w->rect().center());
            std::printf("%s %d %d\n", qPrintable(w->objectName()), c.x(), c.y());
        }
        std::fflush(stdout);
        save();
    });
    poll.start(10);
    return app.exec();
}
