#include "IO/FormatSet.h"

#include "System/SAL_Fatal.h"

#include <cstring>

namespace {

bool HasKey(const IO_FormatBase* format, const char* key) {
    return std::strcmp(format->Key(), key) == 0;
}

}  // namespace

void FormatSet::Clear() {
    for (const IO_FormatBase*& slot : slots_) {
        slot = nullptr;
    }
}

void FormatSet::Add(const IO_FormatBase* format) {
    if (format == nullptr) {
        return;
    }
    for (const IO_FormatBase*& slot : slots_) {
        if (slot == nullptr || HasKey(slot, format->Key())) {
            slot = format;
            return;
        }
    }
    BRIX_FATAL("IO format overflow");
}

void FormatSet::Remove(const char* key) {
    for (int i = 0; i < kSlots; ++i) {
        if (slots_[i] == nullptr) {
            return;
        }
        if (HasKey(slots_[i], key)) {
            // Close the gap: Find stops at the first free slot, so a hole would
            // hide the formats behind it.
            for (int j = i; j + 1 < kSlots; ++j) {
                slots_[j] = slots_[j + 1];
            }
            slots_[kSlots - 1] = nullptr;
            return;
        }
    }
    BRIX_FATAL("IO format overflow");
}

const IO_FormatBase* FormatSet::Find(const char* key) const {
    for (const IO_FormatBase* slot : slots_) {
        if (slot == nullptr) {
            return nullptr;
        }
        if (HasKey(slot, key)) {
            return slot;
        }
    }
    return nullptr;
}
