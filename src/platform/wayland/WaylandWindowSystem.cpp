#include "platform/wayland/WaylandWindowSystem.h"

#include "platform/wayland/WaylandConnection.h"

#include <chrono>

namespace kelpo {

namespace {

// How long the compositor may take to answer a question about its windows.
constexpr int AnswerWaitMs = 500;

} // namespace

std::unique_ptr<WaylandWindowSystem> WaylandWindowSystem::Create(
    std::shared_ptr<wayland::Connection> connection) {
    if (!connection || !connection->HasToplevels())
        return nullptr;
    return std::unique_ptr<WaylandWindowSystem>(new WaylandWindowSystem(std::move(connection)));
}

WaylandWindowSystem::WaylandWindowSystem(std::shared_ptr<wayland::Connection> connection)
    : connection_(std::move(connection)) {}

WaylandWindowSystem::~WaylandWindowSystem() {
    connection_->SetActivatedChangedHandler({});
}

WindowId WaylandWindowSystem::ForegroundWindow() {
    // A round trip, not just the events at hand: a change the program has seen on Qt's own
    // connection (one of its windows activated) is then known here too.
    connection_->Roundtrip(AnswerWaitMs);
    return connection_->Activated();
}

bool WaylandWindowSystem::BringToForeground(WindowId window, int timeoutMs) {
    connection_->Roundtrip(AnswerWaitMs);
    if (connection_->Activated() == window && window != 0)
        return true;
    if (!connection_->Activate(window))
        return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // The compositor tells of the change with the window's next state.
    while (connection_->Activated() != window) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || !connection_->Find(window) || !connection_->Roundtrip(int(left)))
            break;
        if (connection_->Activated() != window)
            connection_->WaitForEvents(int(std::min<long long>(left, 20)));
    }
    return connection_->Activated() == window;
}

QString WaylandWindowSystem::WindowTitle(WindowId window) {
    connection_->Poll();
    const wayland::Toplevel* toplevel = connection_->Find(window);
    return toplevel ? toplevel->title : QString();
}

bool WaylandWindowSystem::IsDesktop(WindowId) {
    return false;
}

bool WaylandWindowSystem::WindowExists(WindowId window) {
    // Asked before every send: a window closed a moment ago must not pass for existing.
    connection_->Roundtrip(AnswerWaitMs);
    return window != 0 && connection_->Find(window) != nullptr;
}

void WaylandWindowSystem::KeepOnTop(WindowId) {}

void WaylandWindowSystem::SetForegroundChangedHandler(std::function<void(WindowId)> handler) {
    if (!handler) {
        connection_->SetActivatedChangedHandler({});
        return;
    }
    connection_->SetActivatedChangedHandler(
        [this, handler] { handler(connection_->Activated()); });
}

} // namespace kelpo
