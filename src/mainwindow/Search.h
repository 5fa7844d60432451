#pragma once
// First-letter search over the names of the current library. Each key highlights the next
// name whose first character is that key; after the last one a press finds nothing, and
// the press after that starts from the top again. All 50 visible slots take part.
#include "core/Constants.h"

#include <QString>

#include <array>

namespace kelpo {

inline constexpr int SearchableSlots = VisibleSlotCount; // the test slot is never shown

class FirstLetterSearch {
public:
    // What a key press changed: the slot whose highlight went (-1: none) and the slot now
    // highlighted (-1: none).
    struct Change {
        int restored = -1;
        int highlighted = -1;
    };

    // `key` is the typed character; letters match either case. `names` holds at least the
    // 50 visible slots; empty names are skipped.
    template <std::size_t N> Change Press(char16_t key, const std::array<QString, N>& names) {
        static_assert(N >= SearchableSlots);
        return Press(key, names.data());
    }
    Change Press(char16_t key, const QString* names);

    // Drops the highlight; returns the slot to show in its own colour again, or -1.
    int Clear();

    // The highlighted slot, or -1.
    int Highlighted() const { return highlighted_ ? position_ - 1 : -1; }

private:
    int position_ = 0; // highlighted slot + 1; the next search starts here
    bool highlighted_ = false;
    char16_t letter_ = 0; // first character of the name compared last
};

} // namespace kelpo
