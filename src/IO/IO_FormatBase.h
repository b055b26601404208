// Base of the format objects a formatted stream carries, each found by its key.
#ifndef BRIX_IO_IO_FORMATBASE_H
#define BRIX_IO_IO_FORMATBASE_H

class IO_FormatBase {
public:
    IO_FormatBase() = default;
    IO_FormatBase(const IO_FormatBase&) = default;
    IO_FormatBase& operator=(const IO_FormatBase&) = default;
    virtual ~IO_FormatBase() = default;
    // A constant text naming the kind of format ("DoubleFormat", "Interval", "Expression").
    virtual const char* Key() const = 0;
};

#endif
