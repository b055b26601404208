// Layout formats attached to List cells. Every list the system builds carries
// the shared no-format object; the other kinds exist for callers that want a
// particular layout and are printed like the plain list.
#ifndef BRIX_EXPR_EX_FORMAT_H
#define BRIX_EXPR_EX_FORMAT_H

class Ex_Format {
public:
    Ex_Format() = default;
    Ex_Format(const Ex_Format&) = delete;
    Ex_Format& operator=(const Ex_Format&) = delete;
    virtual ~Ex_Format() = default;
    virtual int Kind() const = 0;
};

class Ex_NoFormat final : public Ex_Format {
public:
    int Kind() const override { return 0; }
    // The shared instance every new List cell points to.
    static const Ex_NoFormat& Shared();
};

class Ex_NewLineFormat final : public Ex_Format {
public:
    int Kind() const override { return 1; }
};

class Ex_FieldsEqualFormat final : public Ex_Format {
public:
    Ex_FieldsEqualFormat(int a, int b, int c, int d = 2) : fields{a, b, c, d} {}
    int Kind() const override { return 2; }
    int fields[4];
};

class Ex_FieldsDifferentFormat final : public Ex_Format {
public:
    Ex_FieldsDifferentFormat(int a1, int a2, int b1, int b2, int last = 2)
        : first{a1, a2}, second{b1, b2}, last(last) {}
    int Kind() const override { return 3; }
    int first[2];
    int second[2];
    int last;
};

#endif
