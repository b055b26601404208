// The eight format slots of a formatted stream. The set only points to its
// formats (borrows them): whoever adds a format keeps it alive while it is in
// the set and removes it afterwards.
#ifndef BRIX_IO_FORMATSET_H
#define BRIX_IO_FORMATSET_H

#include "IO/IO_FormatBase.h"

class FormatSet {
public:
    static const int kSlots = 8;

    FormatSet() { Clear(); }
    void Clear();
    // Puts format into the first free slot, or in place of the first format
    // with the same key; a null format is ignored. A full set is a fatal error
    // ("IO format overflow").
    void Add(const IO_FormatBase* format);
    // Takes out the first format with this key (later formats move up, so the
    // set keeps no holes); nothing when a free slot comes first. A full set
    // without that key is a fatal error.
    void Remove(const char* key);
    // The first format with this key before the first free slot, or null.
    const IO_FormatBase* Find(const char* key) const;

private:
    const IO_FormatBase* slots_[kSlots];
};

#endif
