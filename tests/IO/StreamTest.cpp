#include "IO/FormatSet.h"
#include "IO/IO_SysStream.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

class Keyed : public IO_FormatBase {
public:
    explicit Keyed(const char* key) : key_(key) {}
    const char* Key() const override { return key_; }

private:
    const char* key_;
};

TEST(FormatSet, AddFindRemove) {
    FormatSet set;
    Keyed d("DoubleFormat"), d2("DoubleFormat"), i("Interval"), e("Expression");
    set.Add(nullptr);
    EXPECT_EQ(set.Find("DoubleFormat"), nullptr);
    set.Add(&d);
    set.Add(&i);
    set.Add(&e);
    set.Add(&d2);  // same key: replaces
    EXPECT_EQ(set.Find("DoubleFormat"), &d2);
    set.Remove("Interval");
    EXPECT_EQ(set.Find("Interval"), nullptr);
    EXPECT_EQ(set.Find("Expression"), &e);  // still found after the removal before it
    set.Remove("Missing");                  // a free slot comes first: nothing happens
    EXPECT_EQ(set.Find("Expression"), &e);
}

TEST(FormatSetDeathTest, OverflowIsFatal) {
    static const char* const keys[] = {"k0", "k1", "k2", "k3", "k4", "k5", "k6", "k7", "k8"};
    EXPECT_DEATH(
        {
            FormatSet set;
            for (const char* k : keys) {
                set.Add(new Keyed(k));
            }
        },
        "\\*\\*\\*\\*\\* IO format overflow\n\\*\\*\\*\\*\\* in file \"src/IO/FormatSet\", line");
    EXPECT_DEATH(
        {
            FormatSet set;
            for (int n = 0; n < 8; ++n) {
                set.Add(new Keyed(keys[n]));
            }
            set.Remove("k8");
        },
        "IO format overflow");
}

TEST(SysStreams, Strings) {
    IO_SysInputString in;
    in.Attach("ab");
    EXPECT_EQ(in.Get(), 'a');
    EXPECT_EQ(in.Get(), 'b');
    EXPECT_FALSE(in.Eof());
    EXPECT_EQ(in.Get(), '\0');
    EXPECT_TRUE(in.Eof());
    EXPECT_EQ(in.Get(), '\0');  // stays at the end

    char buffer[4];
    IO_SysOutputString out;
    out.Attach(buffer, sizeof buffer);
    out.PutString("ab");
    out.Put('c');
    EXPECT_FALSE(out.Error());
    out.Put('d');
    EXPECT_TRUE(out.Error());
    EXPECT_EQ(std::memcmp(buffer, "abc", 3), 0);

    out.Attach(buffer, sizeof buffer);
    out.PutString("abcdef");
    EXPECT_TRUE(out.Error());
}

TEST(SysStreams, FilesWithoutAFileReportErrors) {
    IO_SysInputFile in;
    EXPECT_TRUE(in.Error());
    EXPECT_TRUE(in.Eof());
    IO_SysOutputFile out;
    out.PutString("dropped");
    EXPECT_TRUE(out.Error());

    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    out.Attach(f);
    out.PutString("hi");
    out.Flush();
    std::rewind(f);
    in.Attach(f);
    EXPECT_EQ(in.Get(), 'h');
    EXPECT_EQ(in.Get(), 'i');
    EXPECT_EQ(in.Get(), static_cast<char>(EOF));
    EXPECT_TRUE(in.Eof());
    in.Close();
}

}  // namespace
