// The X11 window against a real server (run under xvfb-run): the drawing is
// read back from the server and compared pixel by pixel.
#include "Win/Win_XWindow.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/socket.h>
// Xlib's macros collide with names inside gtest.
#undef None
#undef Bool

#include <gtest/gtest.h>

#define REQUIRE_DISPLAY()             \
    if (!XWindow::DisplayAvailable()) \
    GTEST_SKIP() << "no X display can be opened; run the suite under xvfb-run"

namespace {

using Window_ = std::unique_ptr<XWindow>;
using Line = std::array<double, 4>;

// A window on the world square [0, 1] x [0, 1], 120 x 120 unless told.
Window_ UnitWindow(int width = 120, int height = 120) {
    return Window_(XWindow::Create(0, 0, 1, 1, 0, 0, width, height));
}

// The drawable's pixels row by row, as the server holds them.
std::vector<unsigned long> ReadBack(const XWindow& w, unsigned long drawable) {
    XImage* image = XGetImage(w.XDisplay(), drawable, 0, 0, static_cast<unsigned>(w.Width()),
                              static_cast<unsigned>(w.Height()), AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    for (int row = 0; row < w.Height(); ++row) {
        for (int column = 0; column < w.Width(); ++column) {
            pixels.push_back(XGetPixel(image, column, row));
        }
    }
    XDestroyImage(image);
    return pixels;
}

unsigned long At(const XWindow& w, int column, int row) {
    return ReadBack(w, w.PixmapId())[static_cast<size_t>(row * w.Width() + column)];
}

long Count(const XWindow& w, int index) {
    const std::vector<unsigned long> p = ReadBack(w, w.PixmapId());
    return std::count(p.begin(), p.end(), w.ColorPixel(index));
}

// Records the lines of the one-bit fill patterns instead of drawing them.
class PatternRecorder : public XWindow {
public:
    PatternRecorder() : XWindow(0, 0, 10, 10, 0, 0, 100, 100) {}
    void DrawLine(double xa, double ya, double xb, double yb) override {
        lines.push_back({xa, ya, xb, yb});
    }
    using XWindow::FillPattern;
    std::vector<Line> lines;
};

}  // namespace

TEST(XWindowTest, MapsWorldPointsToPixelsAndClearRestoresWhite) {
    REQUIRE_DISPLAY();
    Window_ w = UnitWindow();
    EXPECT_EQ(w->Column(0.5), 60);
    EXPECT_EQ(w->Row(0.25), 90);
    w->DrawPoint(0.5, 0.25);
    EXPECT_FALSE(w->Clean());
    EXPECT_EQ(At(*w, 60, 90), w->ColorPixel(1));
    EXPECT_EQ(Count(*w, 0), 120 * 120 - 1);
    w->Clear();
    EXPECT_TRUE(w->Clean());
    EXPECT_EQ(Count(*w, 0), 120 * 120);
}

TEST(XWindowTest, FillsAndBordersInTheAllocatedColours) {
    REQUIRE_DISPLAY();
    Window_ w = UnitWindow();
    if (w->Depth() == 1) {
        GTEST_SKIP() << "a one-bit screen fills with patterns";
    }
    const std::set<unsigned long> table = {w->ColorPixel(0), w->ColorPixel(1), w->ColorPixel(2),
                                           w->ColorPixel(3)};
    EXPECT_EQ(table.size(), 4u) << "red and green allocated";
    // Columns 30..59, rows 30..89, whatever the order of the corners.
    w->SetForeground(3);
    w->FillRectangle(0.25, 0.25, 0.5, 0.75);
    const std::vector<unsigned long> green = ReadBack(*w, w->PixmapId());
    EXPECT_EQ(Count(*w, 3), 30 * 60);
    EXPECT_EQ(green[89 * 120 + 59], w->ColorPixel(3));
    for (Line c : {Line{0.5, 0.75, 0.25, 0.25}, Line{0.25, 0.75, 0.5, 0.25}}) {
        w->Clear();
        w->FillRectangle(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(ReadBack(*w, w->PixmapId()), green) << c[0] << " " << c[1];
    }
    // The outline runs over columns 30 and 60 and rows 30 and 90; afterwards
    // the index is the border's but the pixel in use the one from before.
    w->Clear();
    w->SetForeground(2);
    w->FillBorderedRectangle(0.25, 0.25, 0.5, 0.75, 1, 3);
    for (std::array<int, 3> p : {std::array<int, 3>{45, 30, 1},
                                 {45, 90, 1},
                                 {30, 60, 1},
                                 {60, 60, 1},
                                 {45, 60, 3},
                                 {61, 60, 0}}) {
        EXPECT_EQ(At(*w, p[0], p[1]), w->ColorPixel(p[2])) << p[0] << ", " << p[1];
    }
    EXPECT_EQ(w->ForegroundIndex(), 1);
    w->FillRectangle(0.875, 0.875, 1, 1);
    EXPECT_EQ(At(*w, 110, 10), w->ColorPixel(2));
}

TEST(XWindowTest, ShowBringsEarlierDrawingToTheScreenInEveryWindow) {
    REQUIRE_DISPLAY();
    Window_ first = UnitWindow();
    first->SetForeground(3);
    first->FillRectangle(0.1, 0.1, 0.6, 0.9);
    first->Show();
    ASSERT_TRUE(first->Exposed());
    EXPECT_EQ(ReadBack(*first, first->CanvasWindowId()), ReadBack(*first, first->PixmapId()));
    first->Hide();
    EXPECT_FALSE(first->Exposed());
    _XDisplay* display = first->XDisplay();
    first.reset();
    // Later windows, also two at a time, share the toolkit's one display.
    Window_ second = UnitWindow(50, 40);
    Window_ third = UnitWindow(30, 30);
    EXPECT_EQ(second->XDisplay(), display);
    EXPECT_EQ(third->XDisplay(), display);
    second->DrawPoint(0, 1);
    second->Show();
    third->Show();
    EXPECT_TRUE(second->Exposed() && third->Exposed());
    EXPECT_EQ(At(*second, 0, 0), second->ColorPixel(1));
    EXPECT_EQ(ReadBack(*third, third->CanvasWindowId()), ReadBack(*third, third->PixmapId()));
}

TEST(XWindowTest, SizesAreClampedAndResizedOnlyWhileNothingIsDrawn) {
    REQUIRE_DISPLAY();
    EXPECT_EQ(UnitWindow(0, 7)->Width(), 1);
    EXPECT_EQ(UnitWindow(-5, 100000)->Height(), 4096);
    Window_ w = UnitWindow();
    w->SetBackground(2);
    w->Clear();
    w->SetBackground(0);
    XEvent event{};
    event.type = ResizeRequest;
    event.xresizerequest.width = 200;
    event.xresizerequest.height = 150;
    w->HandleStructure(event);
    ASSERT_EQ(w->Width(), 200);
    ASSERT_EQ(w->Height(), 150);
    EXPECT_EQ(w->Column(1.0), 200);
    EXPECT_EQ(At(*w, 119, 119), w->ColorPixel(2));  // the old drawing, top left
    EXPECT_EQ(At(*w, 150, 10), w->ColorPixel(0));   // new area in the background
    EXPECT_EQ(At(*w, 10, 130), w->ColorPixel(0));

    w->DrawPoint(0.5, 0.5);
    testing::internal::CaptureStderr();
    XEvent same{};
    same.type = ConfigureNotify;
    same.xconfigure.width = 200;
    same.xconfigure.height = 150;
    w->HandleStructure(same);
    event.xresizerequest.width = 60;
    w->HandleStructure(event);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "please DO NOT resize this window\n");
    EXPECT_EQ(w->Width(), 200);
}

TEST(XWindowTest, OneBitPatternsAreLineSets) {
    REQUIRE_DISPLAY();
    PatternRecorder w;
    const size_t counts[][2] = {{0, 0}, {1, 0}, {2, 18}, {3, 2}, {4, 0}, {9, 0}};
    for (const auto& c : counts) {
        w.lines.clear();
        w.SetForeground(static_cast<int>(c[0]));
        w.FillPattern(1, 2, 5, 10);
        EXPECT_EQ(w.lines.size(), c[1]) << "index " << c[0];
    }
    w.SetForeground(2);
    w.lines.clear();
    w.FillPattern(1, 2, 5, 10);
    ASSERT_EQ(w.lines.size(), 18u);
    EXPECT_EQ(w.lines[0], (Line{1, 2 + 0.2 * 8, 1 + 0.2 * 4, 2}));
    EXPECT_EQ(w.lines[16], (Line{1, 10, 5, 2}));
    EXPECT_EQ(w.lines[17], (Line{1, 2, 5, 10}));
    w.SetForeground(3);
    w.lines.clear();
    w.FillPattern(1, 2, 5, 10);
    EXPECT_EQ(w.lines[1], (Line{1 + 0.45 * 4, 2 + 0.55 * 8, 1 + 0.55 * 4, 2 + 0.45 * 8}));
}

// Both run in a fresh process (the re-executed test binary), where the
// toolkit has not been started.
TEST(XWindowDeathTest, NoDisplayGivesNoWindow) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":99999", 1);
            const bool none = !XWindow::DisplayAvailable();
            Window_ w = UnitWindow();
            std::_Exit(none && w == nullptr ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(XWindowDeathTest, LostConnectionLeavesTheProcessRunning) {
    REQUIRE_DISPLAY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Window_ w = UnitWindow();
            w->Show();
            shutdown(ConnectionNumber(w->XDisplay()), SHUT_RDWR);
            w->FillRectangle(0, 0, 1, 1);
            w->Show();
            Window_ next = UnitWindow();
            const bool gone = !XWindow::DisplayAvailable() && next == nullptr;
            w.reset();
            std::fputs(gone ? "carried on\n" : "still claims a display\n", stderr);
            std::_Exit(gone ? 0 : 1);
        },
        testing::ExitedWithCode(0), "Lost the connection to the X display(.|\n)*carried on");
}
