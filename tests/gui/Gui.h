#pragma once
// What the widget tests share: the program's two lasting windows over a fresh data folder,
// a driver for the modal windows the code under test waits in, the pointer's enter events
// and a walk along a window's Tab chain.
#include "TestProgram.h"
#include "app/WindowShell.h"
#include "entries/ClipSet.h"
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Names.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace kelpo {

// Runs `act` on the modal window named `name` as soon as it is up (polled: the test itself
// is blocked in that window's event loop). Another modal window still up after five
// seconds fails the test and is closed, so a wrong window ends the test instead of
// hanging it.
class OnModal {
public:
    OnModal(const QString& name, std::function<void(QWidget*)> act) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, name, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == name && modal->isVisible()) {
                timer_.stop();
                fired = true;
                act(modal);
            } else if (modal && clock_.elapsed() > 5000) {
                timer_.stop();
                QTest::qFail(
                    qPrintable("waiting for " + name + ", " + modal->objectName() + " is up"),
                    __FILE__, __LINE__);
                modal->close();
            }
        });
        timer_.start(5);
    }
    bool fired = false;

private:
    QTimer timer_;
    QElapsedTimer clock_;
};

// The pointer coming onto `widget`, as Qt reports it.
inline void Enter(QWidget* widget) {
    QVERIFY(widget);
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(widget, &event);
}

inline void Click(QWidget* window, const char* button, Qt::MouseButton with = Qt::LeftButton) {
    auto* control = window->findChild<QPushButton*>(button);
    QVERIFY2(control, button);
    QTest::mouseClick(control, with);
}

// The object names of the stops Tab reaches in `window`, once round from `from`. A stop
// that is hidden or looks no different with the focus is named with a "!" in front.
inline QStringList TabChain(QWidget* window, QWidget* from) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return {QStringLiteral("!window not active")};
    from->setFocus(Qt::OtherFocusReason);
    std::vector<std::pair<QWidget*, QImage>> stops;
    for (int i = 0; i < 200; ++i) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        if (!at || (!stops.empty() && at == stops.front().first))
            break;
        stops.emplace_back(at, at->grab().toImage());
    }
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    QStringList names;
    for (const auto& [widget, focused] : stops) {
        const bool seen = widget->isVisible() && widget->width() > 1 && widget->height() > 1 &&
                          widget->grab().toImage() != focused;
        names << (seen ? QString() : QStringLiteral("!")) + widget->objectName();
    }
    return names;
}

// The main and insertion windows with their shell, made as start-up makes them once the
// test has written the files it wants read.
struct Gui {
    TestProgram t;
    Program& p = t.program;
    std::unique_ptr<Pages> pages;
    std::unique_ptr<DoIt> doIt;
    std::unique_ptr<WindowShell> shell;

    Gui() {
        p.settings.Version = SettingsVersion;
        QDir().mkpath(p.LibraryFolder);
    }
    ~Gui() { p.shell = nullptr; }
    void Start() {
        LoadLibraryNames(p);
        LoadNames(p);
        pages = std::make_unique<Pages>(p);
        doIt = std::make_unique<DoIt>(p);
        shell = std::make_unique<WindowShell>(p, *pages, *doIt);
        p.shell = shell.get();
        pages->RefreshLibraryNames();
        pages->RefreshNames();
        pages->show();
    }
    void Entry(int slot, const QString& name, const QString& url, const QString& password,
               const QStringList& clips, std::uint32_t color = 0x00FFFFFF,
               const HideArray& hidden = {}) {
        ClipSet e;
        e.Slot = slot;
        e.Name = name;
        e.Color = color;
        e.Url = url;
        e.Password = password;
        std::copy(clips.begin(), clips.end(), e.Clips.begin());
        e.Hidden = hidden;
        QVERIFY(SaveClipSet(p, e));
        if (pages)
            pages->RefreshNames();
    }
    template <typename T = QWidget> T* Child(const QString& name) {
        return pages->findChild<T*>(name);
    }
    QByteArray File(const QString& name) { return TestProgram::ReadAll(t.LibraryPath(name)); }
    Settings Saved() { return DecodeSettings(TestProgram::ReadAll(t.Path("Kelpo.ini"))); }
};

} // namespace kelpo
