#include "platform/DesktopBrowser.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace kelpo {

namespace desktop {

namespace {

// Each query (xdg-settings, xdg-mime) is a small script; a hung one must not freeze the
// program for long.
constexpr int QueryTimeoutMs = 3000;

QString UnescapeString(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[i + 1];
        if (n == 's')
            out += ' ';
        else if (n == 'n')
            out += '\n';
        else if (n == 't')
            out += '\t';
        else if (n == 'r')
            out += '\r';
        else if (n == '\\')
            out += '\\';
        else {
            // Not a string escape: left for the Exec quoting rules (\" \$ \`).
            out += c;
            out += n;
        }
        ++i;
    }
    return out;
}

} // namespace

QString FirstLine(const QByteArray& output) {
    const qsizetype end = output.indexOf('\n');
    return QString::fromUtf8(end < 0 ? output : output.left(end)).trimmed();
}

QStringList SettingsQuery() {
    return {QStringLiteral("get"), QStringLiteral("default-web-browser")};
}

QStringList MimeQuery() {
    return {QStringLiteral("query"), QStringLiteral("default"),
            QStringLiteral("x-scheme-handler/http")};
}

namespace {

bool IsFileCode(QChar c) {
    return c == 'u' || c == 'U' || c == 'f' || c == 'F';
}

} // namespace

bool IsSafeAddress(const QString& address) {
    return !address.isEmpty() && !address.startsWith('-') && !address.contains(QChar(0));
}

QString DesktopEntryValue(const QByteArray& content, const QString& key) {
    bool inEntry = false;
    for (const QByteArray& rawLine : content.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || line.left(eq).trimmed() != key)
            continue;
        return UnescapeString(line.mid(eq + 1).trimmed());
    }
    return {};
}

QString DesktopEntryExec(const QByteArray& content) {
    return DesktopEntryValue(content, QStringLiteral("Exec"));
}

std::optional<QStringList> SplitExec(const QString& exec) {
    QStringList args;
    QString current;
    bool inArg = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == '"') {
            bool closed = false;
            for (++i; i < exec.size(); ++i) {
                const QChar q = exec[i];
                if (q == '"') {
                    closed = true;
                    break;
                }
                if (q == '\\' && i + 1 < exec.size()) {
                    const QChar n = exec[i + 1];
                    if (n == '"' || n == '`' || n == '$' || n == '\\') {
                        current += n;
                        ++i;
                        continue;
                    }
                }
                current += q;
            }
            if (!closed)
                return std::nullopt;
        } else if (c == '\'') {
            const qsizetype end = exec.indexOf('\'', i + 1);
            if (end < 0)
                return std::nullopt;
            current += exec.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == '\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else {
            current += c;
        }
    }
    if (inArg)
        args << current;
    return args;
}

QStringList ExpandExec(const QStringList& arguments, const QString& address) {
    QStringList out;
    bool placed = false;
    for (const QString& arg : arguments) {
        QString expanded;
        bool hadCode = false;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            const QChar c = arg[i];
            if (c != '%' || i + 1 == arg.size()) {
                expanded += c;
                continue;
            }
            const QChar code = arg[++i];
            if (code == '%') {
                expanded += '%';
                continue;
            }
            hadCode = true;
            if (IsFileCode(code)) {
                // Only a code that is the whole argument is filled in: inside a larger one
                // (a shell's "-c" string above all) the address would become part of a
                // command. The entry is then not used at all.
                if (arg.size() != 2)
                    return {};
                // One address per command: a second file code is dropped.
                if (!placed)
                    expanded += address;
                placed = true;
            }
            // Every other field code (%i %c %k %d %D %n %N %v %m) is dropped.
        }
        // An argument that was nothing but a dropped code goes away altogether.
        if (hadCode && expanded.isEmpty())
            continue;
        out << expanded;
    }
    if (!placed)
        out << address;
    return out;
}

QStringList DataDirs(const QProcessEnvironment& env) {
    QStringList dirs;
    QString home = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (home.isEmpty() && !env.value(QStringLiteral("HOME")).isEmpty())
        home = env.value(QStringLiteral("HOME")) + QStringLiteral("/.local/share");
    if (!home.isEmpty())
        dirs << home;
    QString system = env.value(QStringLiteral("XDG_DATA_DIRS"));
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share/:/usr/share/");
    for (const QString& dir : system.split(':', Qt::SkipEmptyParts))
        dirs << dir;
    for (QString& dir : dirs)
        if (!dir.endsWith('/'))
            dir += '/';
    return dirs;
}

QString FindDesktopFile(const QString& id, const QStringList& dataDirs) {
    if (!id.endsWith(QStringLiteral(".desktop")) || id.contains('/') || id.startsWith('.'))
        return {};
    // "vendor-app.desktop" may live as applications/vendor/app.desktop.
    QStringList candidates{id};
    QString nested = id;
    for (qsizetype dash = nested.indexOf('-'); dash > 0; dash = nested.indexOf('-', dash + 1)) {
        nested[dash] = '/';
        candidates << nested;
    }
    for (const QString& dir : dataDirs)
        for (const QString& candidate : candidates) {
            const QString path = dir + QStringLiteral("applications/") + candidate;
            if (QFileInfo(path).isFile())
                return path;
        }
    return {};
}

QString FindProgram(const QString& program, const QProcessEnvironment& env) {
    if (program.isEmpty())
        return {};
    if (program.contains('/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? program : QString();
    }
    const QStringList path =
        env.value(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"))
            .split(':', Qt::SkipEmptyParts);
    return QStandardPaths::findExecutable(program, path);
}

QStringList CommandFromDesktopFile(const QString& path, const QString& address,
                                   const QProcessEnvironment& env) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.read(1 << 20);
    const QString tryExec = DesktopEntryValue(content, QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && FindProgram(tryExec, env).isEmpty())
        return {};
    const std::optional<QStringList> split = SplitExec(DesktopEntryExec(content));
    if (!split || split->isEmpty())
        return {};
    QStringList command = ExpandExec(*split, address);
    if (command.isEmpty() || FindProgram(command.first(), env).isEmpty())
        return {};
    return command;
}

} // namespace desktop

DesktopBrowser::DesktopBrowser(QProcessEnvironment env) : env_(std::move(env)) {}

DesktopBrowser::~DesktopBrowser() {
    if (query_) {
        query_->disconnect();
        query_->kill();
        query_->waitForFinished(1000);
    }
}

QString DesktopBrowser::Query(const QString& program, const QStringList& arguments) {
    const QString found = desktop::FindProgram(program, env_);
    if (found.isEmpty())
        return {};
    QProcess process;
    process.setProcessEnvironment(env_);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(found, arguments);
    if (!process.waitForFinished(desktop::QueryTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return desktop::FirstLine(process.readAllStandardOutput());
}

QStringList DesktopBrowser::CommandFor(const QString& desktopId, const QString& address) const {
    if (desktopId.isEmpty())
        return {};
    return desktop::CommandFromDesktopFile(
        desktop::FindDesktopFile(desktopId, desktop::DataDirs(env_)), address, env_);
}

QStringList DesktopBrowser::Fallback(const QString& address) const {
    const QString xdgOpen = desktop::FindProgram(QStringLiteral("xdg-open"), env_);
    if (xdgOpen.isEmpty())
        return {};
    return {xdgOpen, address};
}

QStringList DesktopBrowser::Command(const QString& address) {
    if (!desktop::IsSafeAddress(address))
        return {};
    const QString fromSettings = Query(QStringLiteral("xdg-settings"), desktop::SettingsQuery());
    QStringList command = CommandFor(fromSettings, address);
    if (!command.isEmpty())
        return command;
    // xdg-settings may not know this desktop; the http handler is the next best guess.
    const QString fromMime = Query(QStringLiteral("xdg-mime"), desktop::MimeQuery());
    if (fromMime != fromSettings)
        command = CommandFor(fromMime, address);
    if (!command.isEmpty())
        return command;
    return Fallback(address);
}

bool DesktopBrowser::Launch(const QStringList& command) const {
    if (command.isEmpty())
        return false;
    QProcess process;
    process.setProgram(desktop::FindProgram(command.first(), env_));
    process.setArguments(command.mid(1));
    process.setProcessEnvironment(env_);
    process.setStandardInputFile(QProcess::nullDevice());
    const QString home = env_.value(QStringLiteral("HOME"));
    if (!home.isEmpty() && QFileInfo(home).isDir())
        process.setWorkingDirectory(home);
    return process.startDetached();
}

bool DesktopBrowser::Open(const QString& address) {
    if (!desktop::IsSafeAddress(address))
        return false;
    if (!QCoreApplication::instance() || !QAbstractEventDispatcher::instance())
        return Launch(Command(address));
    const bool anyTool = !desktop::FindProgram(QStringLiteral("xdg-settings"), env_).isEmpty() ||
                         !desktop::FindProgram(QStringLiteral("xdg-mime"), env_).isEmpty() ||
                         !desktop::FindProgram(QStringLiteral("xdg-open"), env_).isEmpty();
    if (!anyTool)
        return false;
    pending_ << address;
    if (query_)
        return true; // the lookup under way serves this address too
    step_ = 0;
    settingsId_.clear();
    StartStep();
    return true;
}

void DesktopBrowser::StartStep() {
    for (; step_ < 2; ++step_) {
        const QString program = desktop::FindProgram(
            step_ == 0 ? QStringLiteral("xdg-settings") : QStringLiteral("xdg-mime"), env_);
        if (program.isEmpty())
            continue;
        query_ = std::make_unique<QProcess>();
        timeout_ = std::make_unique<QTimer>();
        timeout_->setSingleShot(true);
        QProcess* query = query_.get();
        query->setProcessEnvironment(env_);
        query->setStandardInputFile(QProcess::nullDevice());
        QObject::connect(query, &QProcess::finished, [this](int code, QProcess::ExitStatus status) {
            const bool ok = status == QProcess::NormalExit && code == 0;
            StepDone(ok ? desktop::FirstLine(query_->readAllStandardOutput()) : QString());
        });
        QObject::connect(query, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                StepDone(QString());
        });
        // A query that hangs counts as one that found nothing.
        QObject::connect(timeout_.get(), &QTimer::timeout, [this] {
            query_->disconnect();
            query_->kill();
            query_->waitForFinished(1000);
            StepDone(QString());
        });
        query->start(program, step_ == 0 ? desktop::SettingsQuery() : desktop::MimeQuery());
        timeout_->start(desktop::QueryTimeoutMs);
        return;
    }
    StepDone(QString());
}

void DesktopBrowser::StepDone(const QString& desktopId) {
    // The process and the timer are deleted later: this runs inside a signal of one.
    if (query_) {
        query_->disconnect();
        query_.release()->deleteLater();
    }
    if (timeout_) {
        timeout_->stop();
        timeout_->disconnect();
        timeout_.release()->deleteLater();
    }
    const int step = step_;
    if (step == 0)
        settingsId_ = desktopId;
    const bool usable = !(step == 1 && desktopId == settingsId_) &&
                        !CommandFor(desktopId, QStringLiteral("about:blank")).isEmpty();
    if (!usable && step < 1) {
        ++step_;
        StartStep();
        return;
    }
    const QStringList addresses = std::exchange(pending_, {});
    for (const QString& address : addresses) {
        const QStringList command = usable ? CommandFor(desktopId, address) : Fallback(address);
        Launch(command);
    }
}

} // namespace kelpo
