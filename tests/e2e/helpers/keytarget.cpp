// A target window for the end-to-end tests: a plain-text field that holds the keyboard
// focus and records exactly what it received. Tab and Enter arrive as "\t" and "\n".
//
//   keytarget --out FILE
//
// FILE is rewritten (UTF-8) after every change. Once the window is shown and active the
// program prints "ready <window id>" on standard output.
#include <QApplication>
#include <QCommandLineParser>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"out", "file that receives the text", "file"});
    parser.process(app);
    const QString out = parser.value("out");

    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("Key target"));
    edit.setTabChangesFocus(false);
    edit.move(100, 100);
    edit.resize(480, 200);

    auto save = [&] {
        if (out.isEmpty())
            return;
        QSaveFile file(out);
        if (file.open(QIODevice::WriteOnly)) {
            // The raw text keeps no-break spaces; paragraph breaks become "\n".
            QString text = edit.document()->toRawText();
            text.replace(QChar::ParagraphSeparator, u'\n');
            file.write(text.toUtf8());
            file.commit();
        }
    };
    QObject::connect(&edit, &QPlainTextEdit::textChanged, save);
    save();

    edit.show();
    edit.activateWindow();
    edit.setFocus();
    // Report readiness once the window really has the focus.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (edit.isActiveWindow() && edit.hasFocus()) {
            poll.stop();
            std::printf("ready %llu\n", static_cast<unsigned long long>(edit.winId()));
            std::fflush(stdout);
        } else {
            edit.activateWindow();
        }
    });
    poll.start(10);
    return app.exec();
}
