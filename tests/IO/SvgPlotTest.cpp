#include "IO/IO_SvgPlot.h"

#include "System/SAL.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Rect {
    std::string kind;
    double x, y, width, height;
    std::string fill;
};

// The value of attribute name in the start tag tag ("" when missing).
std::string Attribute(const std::string& tag, const std::string& name) {
    const std::size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t from = at + name.size() + 3;
    return tag.substr(from, tag.find('"', from) - from);
}

// The start tags that begin with prefix, in document order.
std::vector<std::string> Tags(const std::string& svg, const std::string& prefix) {
    std::vector<std::string> tags;
    for (std::size_t at = svg.find(prefix); at != std::string::npos;
         at = svg.find(prefix, at + 1)) {
        tags.push_back(svg.substr(at, svg.find('>', at) + 1 - at));
    }
    return tags;
}

double Number(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

// The box rectangles of a picture, in document order.
std::vector<Rect> BoxRects(const std::string& svg) {
    std::vector<Rect> rects;
    for (const std::string& tag : Tags(svg, "<rect ")) {
        const std::string kind = Attribute(tag, "class");
        if (kind == "true" || kind == "false" || kind == "open") {
            rects.push_back({kind, Number(Attribute(tag, "x")), Number(Attribute(tag, "y")),
                             Number(Attribute(tag, "width")), Number(Attribute(tag, "height")),
                             Attribute(tag, "fill")});
        }
    }
    return rects;
}

// The contents of the text elements of one class.
std::vector<std::string> Texts(const std::string& svg, const std::string& kind) {
    const std::string prefix = "<text class=\"" + kind + "\"";
    std::vector<std::string> texts;
    for (std::size_t at = svg.find(prefix); at != std::string::npos;
         at = svg.find(prefix, at + 1)) {
        const std::size_t from = svg.find('>', at) + 1;
        texts.push_back(svg.substr(from, svg.find("</text>", from) - from));
    }
    return texts;
}

std::string Plot(const std::string& text, const std::vector<std::string>& names = {}) {
    IO_BoxListing listing;
    std::string error;
    EXPECT_TRUE(IO_ParseBoxListing(text, listing, error)) << error;
    std::string svg;
    EXPECT_TRUE(IO_SvgPlot(listing, names, svg, error)) << error;
    return svg;
}

std::string Listing(const std::string& t, const std::string& f, const std::string& o) {
    return "\nF, rounded inwards, is true on\n" + t + "\nF, rounded inwards, is false on\n" + f +
           "\nThe truth of F, rounded outwards is unknown on\n" + o + "\n";
}

void ExpectRect(const Rect& r, const char* kind, double x, double y, double width, double height) {
    EXPECT_EQ(r.kind, kind);
    EXPECT_EQ(r.fill, std::string(kind) == "true"    ? "#00ff00"
                      : std::string(kind) == "false" ? "#ff0000"
                                                     : "#ffffff");
    EXPECT_DOUBLE_EQ(r.x, x) << kind;
    EXPECT_DOUBLE_EQ(r.y, y) << kind;
    EXPECT_DOUBLE_EQ(r.width, width) << kind;
    EXPECT_DOUBLE_EQ(r.height, height) << kind;
}

// B = [-1.5, 1.5] x [-1, 1]: W = 600, H = 400, X(x) = 120 + 200 (x + 1.5),
// Y(y) = 20 + 200 (1 - y).
TEST(SvgPlot, BoxesLandWhereTheWorldToPixelMappingPutsThem) {
    const std::string text =
        "V = [ x, y ]\nB = [ [ -1.5, 1.5 ], [ -1, 1 ] ]\n" +
        Listing("[ [ 0, 0.75 ], [ 0, 0.5 ] ]\n[ [ -1.5, -0.75 ], [ -1, -0.5 ] ]\n",
                "[ [ 0.75, 1.5 ], [ 0.5, 1 ] ]\n",
                "[ [ -0.000001, 0.000001 ], [ -1.000001, 1.000001 ] ] [ [  ], [  ] ]\n"
                "[ [ 1.4, 1.600001 ], [ 0.9, 1.000001 ] ] [ [ 0 ], [  ] ]\n");
    const std::string svg = Plot(text);
    const std::vector<Rect> rects = BoxRects(svg);
    ASSERT_EQ(rects.size(), 5u);
    ExpectRect(rects[0], "true", 420, 120, 150, 100);
    ExpectRect(rects[1], "true", 120, 320, 150, 100);
    ExpectRect(rects[2], "false", 570, 20, 150, 100);
    ExpectRect(rects[3], "open", 420, 20, 0, 400);  // thinner than a pixel; clipped to B
    ExpectRect(rects[4], "open", 700, 20, 20, 20);  // clipped to B
    EXPECT_NE(svg.find("width=\"750\" height=\"470\" viewBox=\"0 0 750 470\""), std::string::npos);
    EXPECT_NE(svg.find("<rect class=\"frame\" x=\"120\" y=\"20\" width=\"600\" height=\"400\""),
              std::string::npos);
    EXPECT_EQ(Texts(svg, "bound"), (std::vector<std::string>{"-1.5", "1.5", "-1", "1"}));
    EXPECT_EQ(Texts(svg, "name"), (std::vector<std::string>{"x", "y"}));

    // The same picture whatever rounding mode was left before.
    SAL_Interface::SetRounding(SAL_RoundUp);
    EXPECT_EQ(Plot(text), svg);
    SAL_Interface::SetRounding(SAL_RoundDown);
    EXPECT_EQ(Plot(text), svg);
}

TEST(SvgPlot, PictureSizeKeepsTheAspectOfBWithinLimits) {
    struct Case {
        const char* box;
        int width, height;  // of the plot area
        bool fills;         // the box, which is B here, fills the plot area
    };
    const Case cases[] = {
        {"[ [ 0, 1 ], [ 0, 1 ] ]", 600, 600, true},
        {"[ [ 0, 3 ], [ 0, 1 ] ]", 600, 200, true},
        {"[ [ 0, 1 ], [ 0, 3 ] ]", 200, 600, true},
        {"[ [ 0, 100 ], [ 0, 1 ] ]", 600, 120, true},
        {"[ [ -1e+308, 1e+308 ], [ 0, 1 ] ]", 600, 120, true},
        {"[ [ 0, 1 ], [ 5, 5 ] ]", 120, 600, false},  // width 0 drawn as [2.5, 7.5]
        {"[ [ 0, 0 ], [ 0, 0 ] ]", 600, 600, false},  // drawn as [-0.5, 0.5]^2
    };
    for (const Case& c : cases) {
        const std::string svg = Plot(Listing(std::string(c.box) + "\n", "", ""));
        const std::string size = "width=\"" + std::to_string(c.width + 150) + "\" height=\"" +
                                 std::to_string(c.height + 70) + "\"";
        EXPECT_NE(svg.find(size), std::string::npos) << c.box << "\n" << svg;
        const std::vector<Rect> rects = BoxRects(svg);
        ASSERT_EQ(rects.size(), 1u);
        if (c.fills) {
            ExpectRect(rects[0], "true", 120, 20, c.width, c.height);
        }
    }
    // The point box sits in the middle of its drawn range.
    ExpectRect(BoxRects(Plot(Listing("[ [ 0, 0 ], [ 0, 0 ] ]\n", "", "")))[0], "true", 420, 320, 0,
               0);
}

TEST(SvgPlot, OneVariableBoxesAreStripsOfFullHeight) {
    const std::string svg = Plot(Listing("[ [ 0, 0.5 ] ]\n[ [ 1.000001, 1 ] ]\n",
                                         "[ [ 1.5, 2 ] ]\n", "[ [ 0.5, 1.5 ] ] [ [  ], [  ] ]\n"));
    const std::vector<Rect> rects = BoxRects(svg);
    ASSERT_EQ(rects.size(), 3u);
    ExpectRect(rects[0], "true", 120, 20, 150, 120);
    ExpectRect(rects[1], "false", 570, 20, 150, 120);
    ExpectRect(rects[2], "open", 270, 20, 300, 120);
    EXPECT_NE(svg.find("width=\"750\" height=\"190\""), std::string::npos);
    EXPECT_EQ(Texts(svg, "name"), std::vector<std::string>{"x1"});
    EXPECT_NE(svg.find("<desc>1 proved box(es) thinner than the printed precision"),
              std::string::npos);
}

TEST(SvgPlot, NamesAreChosenCountedAndEscaped) {
    const std::string box2 = Listing("[ [ 0, 1 ], [ 0, 1 ] ]\n", "", "");
    struct Case {
        std::string text;
        std::vector<std::string> given;
        std::vector<std::string> shown;  // escaped; empty when refused
        const char* error;
    };
    const Case cases[] = {
        {box2, {}, {"x1", "x2"}, ""},
        {"V = [ u, v ]\n" + box2, {}, {"u", "v"}, ""},
        {"V = [ u, v ]\n" + box2, {"a<b", "c&\"d'"}, {"a&lt;b", "c&amp;&quot;d&apos;"}, ""},
        {box2, {"\xff\xc3\xa9", "t\x01>"}, {"?\xc3\xa9", "t?&gt;"}, ""},
        {"V = [ u ]\n" + box2,
         {},
         {},
         "the echoed V line has 1 name but the boxes have 2 variables"},
    };
    for (const Case& c : cases) {
        IO_BoxListing listing;
        std::string error;
        ASSERT_TRUE(IO_ParseBoxListing(c.text, listing, error)) << error;
        std::string svg = "untouched";
        const bool ok = IO_SvgPlot(listing, c.given, svg, error);
        EXPECT_EQ(ok, c.shown.size() > 0) << c.text;
        if (ok) {
            EXPECT_EQ(Texts(svg, "name"), c.shown);
        } else {
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(svg, "untouched");
        }
    }
}

}  // namespace
