#include "platform/wayland/WaylandKeySender.h"

#include "platform/KeyNotation.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeymap.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace kelpo {

using wayland::Connection;
using wayland::KeyPlace;

namespace {

// Request sizes on the wire: an 8-byte header and 4 bytes an argument.
constexpr int KeyBytes = 8 + 3 * 4;
constexpr int ModifiersBytes = 8 + 4 * 4;
constexpr int FixedBytes = (8 + 4) /*activate*/ + (8 + 4) /*sync*/ + ModifiersBytes;

struct Planned {
    KeyPlace place;
    std::uint32_t mask = 0;
};

std::uint32_t NowMs() {
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

// The layout in a sealed memory file, as the protocol hands keymaps over.
int KeymapFile(const QByteArray& text) {
    const int fd = memfd_create("kelpo-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const qsizetype size = text.size() + 1; // with the terminating zero
    if (ftruncate(fd, size) != 0 || pwrite(fd, text.constData(), size, 0) != size) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

struct WaylandKeySender::Impl {
    std::shared_ptr<Connection> conn;
    zwp_virtual_keyboard_v1* keyboard = nullptr;

    ~Impl() {
        if (keyboard) {
            zwp_virtual_keyboard_v1_destroy(keyboard);
            wl_display_flush(conn->Display());
        }
    }

    // Waits for the compositor to have carried out everything sent so far.
    bool Answered() { return conn->Roundtrip(AnswerWaitMs); }

    // Sends `strokes` to `target` as one batch: the target is activated first, then every
    // stroke is pressed and released, and the modifiers are cleared at the end.
    void QueueBatch(WindowId target, const std::vector<Planned>& strokes) {
        conn->Activate(target);
        std::uint32_t mask = 0;
        for (const Planned& stroke : strokes) {
            if (stroke.mask != mask) {
                zwp_virtual_keyboard_v1_modifiers(keyboard, stroke.mask, 0, 0, 0);
                mask = stroke.mask;
            }
            const std::uint32_t time = NowMs();
            zwp_virtual_keyboard_v1_key(keyboard, time, stroke.place.code,
                                        WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(keyboard, time, stroke.place.code,
                                        WL_KEYBOARD_KEY_STATE_RELEASED);
        }
        if (mask != 0)
            zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, 0);
    }

    int BytesOf(const Planned& stroke, std::uint32_t previousMask) const {
        return 2 * KeyBytes + (stroke.mask != previousMask ? ModifiersBytes : 0);
    }
};

std::unique_ptr<WaylandKeySender> WaylandKeySender::Create(std::shared_ptr<Connection> connection) {
    if (!connection || !connection->KeyboardManager() || !connection->Seat() ||
        !connection->HasToplevels())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->conn = std::move(connection);
    impl->keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        impl->conn->KeyboardManager(), impl->conn->Seat());
    const int fd = KeymapFile(wayland::KeymapText());
    if (fd < 0)
        return nullptr;
    zwp_virtual_keyboard_v1_keymap(impl->keyboard, XKB_KEYMAP_FORMAT_TEXT_V1, fd,
                                   std::uint32_t(wayland::KeymapText().size() + 1));
    close(fd);
    // A compositor that refuses the keyboard ends the connection instead of answering.
    if (!impl->Answered())
        return nullptr;
    return std::unique_ptr<WaylandKeySender>(new WaylandKeySender(std::move(impl)));
}

WaylandKeySender::WaylandKeySender(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

WaylandKeySender::~WaylandKeySender() = default;

SendResult WaylandKeySender::SendKeysTo(WindowId target, const QString& keys, bool wait) {
    Q_UNUSED(wait); // every batch is answered before the next: the keys are delivered
    const ParsedKeys parsed = ParseKeys(keys);
    if (!parsed.Ok())
        return SendResult::InvalidNotation;
    std::vector<Planned> planned;
    planned.reserve(size_t(parsed.strokes.size()));
    for (const KeyStroke& stroke : parsed.strokes) {
        KeyPlace place;
        if (stroke.isCharacter) {
            const auto found = wayland::PlaceOfCharacter(stroke.character);
            if (!found)
                return SendResult::Untypeable;
            place = *found;
        } else {
            place = wayland::PlaceOfKey(stroke.key);
        }
        planned.push_back({place, wayland::ModifierMask(place, stroke.modifiers)});
    }

    Connection& conn = *d->conn;
    if (!d->Answered())
        return SendResult::Failed;
    if (target == 0)
        target = conn.Activated();
    if (target == 0 || !conn.Find(target))
        return SendResult::Failed;
    if (conn.Activated() != target)
        return SendResult::FocusLost;

    size_t next = 0;
    while (next < planned.size()) {
        // Whatever came since the last answer: a window that took the activation in
        // between stops the send before another key goes out.
        const std::uint64_t changes = conn.ActivationChanges();
        const std::uint64_t activations = conn.Activations();
        conn.Poll();
        if (!conn.Alive())
            return SendResult::Failed;
        if (conn.ActivationChanges() != changes || conn.Activated() != target)
            return SendResult::FocusLost;

        std::vector<Planned> batch;
        int bytes = FixedBytes;
        std::uint32_t mask = 0;
        while (next < planned.size() && bytes + d->BytesOf(planned[next], mask) <= BatchBytes) {
            bytes += d->BytesOf(planned[next], mask);
            mask = planned[next].mask;
            batch.push_back(planned[next++]);
        }
        d->QueueBatch(target, batch);
        if (!d->Answered())
            return SendResult::Failed;
        if (conn.ActivationChanges() != changes) {
            // Another window was activated around this batch. The batch itself reached
            // the target, which it activated first; the window that took the activation
            // gets it back, and no further key is sent.
            if (const WindowId taker = conn.ActivatedSince(activations, target)) {
                conn.Activate(taker);
                conn.Roundtrip(AnswerWaitMs);
            }
            return SendResult::FocusLost;
        }
    }
    return SendResult::Ok;
}

} // namespace kelpo
