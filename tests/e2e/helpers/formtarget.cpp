// A log-in form for the end-to-end tests of the insertion window: user, password and notes
// fields and a default "Sign in" button, like a web page's form. It records its state as
// JSON after every change, so a test can check what each field holds, how often the form
// was submitted (and when, on the monotonic clock), and whether the form ever lost the
// keyboard focus.
//
//   formtarget --out FILE [--title TITLE] [--x X --y Y]
//
// Once it is shown and active it prints "ready <window id>" and, for each field and the
// button, "<name> <x> <y>": the centre in screen coordinates. After a submit the fields are
// cleared and the focus goes back to the user field, as a page reload would do.
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
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace {

qint64 MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"out", "file that receives the state", "file"});
    parser.addOption({"title", "window title", "title", "Sign in - Form Target"});
    parser.addOption({"x", "left edge", "x", "760"});
    parser.addOption({"y", "top edge", "y", "560"});
    parser.process(app);
    const QString out = parser.value("out");

    QDialog form;
    form.setWindowTitle(parser.value("title"));
    auto* layout = new QFormLayout(&form);
    auto* user = new QLineEdit(&form);
    auto* password = new QLineEdit(&form);
    auto* notes = new QLineEdit(&form);
    auto* submit = new QPushButton(QStringLiteral("Sign in"), &form);
    user->setObjectName("user");
    password->setObjectName("password");
    notes->setObjectName("notes");
    submit->setObjectName("submit");
    submit->setDefault(true);
    layout->addRow(QStringLiteral("User"), user);
    layout->addRow(QStringLiteral("Password"), password);
    layout->addRow(QStringLiteral("Notes"), notes);
    layout->addRow(submit);
    form.setMinimumWidth(420);
    form.move(parser.value("x").toInt(), parser.value("y").toInt());

    int submitted = 0;
    qint64 submittedAt = 0;
    int focusLost = 0;
    QJsonObject last;
    auto save = [&] {
        if (out.isEmpty())
            return;
        QJsonObject state{{"user", user->text()},
                          {"password", password->text()},
                          {"notes", notes->text()},
                          {"focus", QApplication::focusWidget()
                                        ? QApplication::focusWidget()->objectName()
                                        : QString()},
                          {"submitted", submitted},
                          {"submittedAt", QString::number(submittedAt)},
                          {"focusLost", focusLost},
                          {"last", last}};
        // Written whole and renamed into place, so a reader never sees half a state; not
        // synced to disk, which would slow the form down and with it every wait for it.
        const QString temporary = out + QStringLiteral(".tmp");
        QFile file(temporary);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QJsonDocument(state).toJson(QJsonDocument::Compact));
            file.close();
            std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(out).constData());
        }
    };
    for (QLineEdit* edit : {user, password, notes})
        QObject::connect(edit, &QLineEdit::textChanged, save);
    QObject::connect(qApp, &QApplication::focusChanged, save);
    // Enter in any field presses the default button, as in a web form.
    QObject::connect(submit, &QPushButton::clicked, [&] {
        submittedAt = MonotonicNs();
        ++submitted;
        last = QJsonObject{
            {"user", user->text()}, {"password", password->text()}, {"notes", notes->text()}};
        user->clear();
        password->clear();
        notes->clear();
        user->setFocus();
        save();
    });

    bool ready = false;
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, [&](QWindow* window) {
        if (ready && window != form.windowHandle()) {
            ++focusLost;
            save();
        }
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
        ready = true;
        std::printf("ready %llu\n", static_cast<unsigned long long>(form.winId()));
        for (QWidget* w : {static_cast<QWidget*>(user), static_cast<QWidget*>(password),
                           static_cast<QWidget*>(notes), static_cast<QWidget*>(submit)}) {
            const QPoint c = w->mapToGlobal(w->rect().center());
            std::printf("%s %d %d\n", qPrintable(w->objectName()), c.x(), c.y());
        }
        std::fflush(stdout);
        save();
    });
    poll.start(10);
    return app.exec();
}
