#pragma once
// The user's default web browser, found the freedesktop way: the desktop file named by
// `xdg-settings` (or `xdg-mime` for the http scheme), its Exec line split by the
// desktop-entry quoting rules, the address put in as one argument. `xdg-open` is the last
// resort. The browser is started detached with an argument vector, never through a shell.
#include "platform/Browser.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QProcess;
class QTimer;

namespace kelpo {

namespace desktop {

// False for an address that must not be handed to a browser: empty, starting with "-"
// (the browser would take it for an option) or holding a zero character (which an
// argument cannot carry intact).
bool IsSafeAddress(const QString& address);

// The Exec value of the [Desktop Entry] group of a desktop file, with the string escapes
// (\s \n \t \r \\) undone; empty when there is none.
QString DesktopEntryExec(const QByteArray& content);

// The value of `key` in the [Desktop Entry] group (unlocalised), escapes undone.
QString DesktopEntryValue(const QByteArray& content, const QString& key);

// Splits an Exec value into arguments: blanks separate, double quotes group (inside them
// a backslash escapes " ` $ and \), and, as common launchers accept, single quotes and a
// backslash outside quotes work as in a shell. Empty optional when a quote is not closed.
std::optional<QStringList> SplitExec(const QString& exec);

// Puts `address` in place of the first %u, %U, %f or %F, turns %% into %, and drops every
// other field code. With no such code the address is added as the last argument. Empty
// when a file code sits inside a larger argument ("--app=%u", sh -c "browser %u"): the
// address would become part of another string there, which no address may ever do.
QStringList ExpandExec(const QStringList& arguments, const QString& address);

// XDG_DATA_HOME (or ~/.local/share) and then XDG_DATA_DIRS (or /usr/local/share and
// /usr/share), each ending in '/'.
QStringList DataDirs(const QProcessEnvironment& env);

// The file of desktop id `id` under applications/ of the first data folder that has it;
// a '-' in the id may stand for a subfolder. Empty when none has it.
QString FindDesktopFile(const QString& id, const QStringList& dataDirs);

// The command (program first) that opens `address` with the application of desktop file
// `path`; empty when the file is missing, has no usable Exec line, or names a program
// that is not there.
QStringList CommandFromDesktopFile(const QString& path, const QString& address,
                                   const QProcessEnvironment& env);

// The first line of a query's output, trimmed; the arguments of the two queries.
QString FirstLine(const QByteArray& output);
QStringList SettingsQuery();
QStringList MimeQuery();

// `program` found on the PATH of `env` (or as given, when it is a path); empty if not.
QString FindProgram(const QString& program, const QProcessEnvironment& env);

} // namespace desktop

class DesktopBrowser : public Browser {
public:
    explicit DesktopBrowser(QProcessEnvironment env = QProcessEnvironment::systemEnvironment());
    ~DesktopBrowser() override;

    // Returns at once: the lookup runs its queries in the background (they take a good
    // part of a second) and the browser starts when they are done; addresses asked for
    // meanwhile are served by the same lookup. Without an event loop it all happens
    // before returning. False for an address that must not be handed over, and when
    // this system has none of the tools to find a browser.
    bool Open(const QString& address) override;

    // The command Open would start for `address`; empty when there is no browser. Asks
    // xdg-settings / xdg-mime and waits for them, but starts nothing.
    QStringList Command(const QString& address);

private:
    // The output of a short query program (first line, trimmed); empty on any failure.
    QString Query(const QString& program, const QStringList& arguments);
    QStringList CommandFor(const QString& desktopId, const QString& address) const;
    QStringList Fallback(const QString& address) const;
    bool Launch(const QStringList& command) const;

    // The background lookup: step 0 asks xdg-settings, step 1 xdg-mime.
    void StartStep();
    void StepDone(const QString& desktopId);

    QProcessEnvironment env_;
    QStringList pending_;
    int step_ = 0;
    QString settingsId_;
    std::unique_ptr<QProcess> query_;
    std::unique_ptr<QTimer> timeout_;
};

} // namespace kelpo
