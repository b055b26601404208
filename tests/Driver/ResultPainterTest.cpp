#include "Driver/BRIX_ResultPainter.h"

#include "Driver/BRIX_WindowFactory.h"
#include "IO/Ex_Stream.h"
#include "Win/Win_WindowFactory.h"
#include "Win/Win_XWindow.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Records every drawing call as text.
class RecordingWindow : public Win_Window {
public:
    RecordingWindow() : Win_Window(0, 0, 1, 1) {}
    void Clear() override { Log("Clear"); }
    void SetColorEntry(int, unsigned long) override {}
    void SetForeground(int index) override { Log("fg " + std::to_string(index)); }
    void SetBackground(int) override {}
    void DrawPoint(double x, double y) override { Log("point " + P(x, y)); }
    void DrawLine(double xa, double ya, double xb, double yb) override {
        Log("line " + P(xa, ya) + " " + P(xb, yb));
    }
    void DrawRectangle(double, double, double, double) override {}
    void FillRectangle(double xa, double ya, double xb, double yb) override {
        Log("fill " + P(xa, ya) + " " + P(xb, yb));
    }
    void FillBorderedRectangle(double, double, double, double, int, int) override {}
    void DrawText(const char*) override {}
    void DrawTextAt(const char*, double, double) override {}
    void Show() override { Log("Show"); }
    void Hide() override {}
    int WriteBitmap(const char*) override { return 0; }

    std::vector<std::string> calls;

private:
    static std::string N(double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return text;
    }
    static std::string P(double x, double y) { return "(" + N(x) + "," + N(y) + ")"; }
    void Log(const std::string& s) { calls.push_back(s); }
};

Box MakeBox(std::initializer_list<Iv_Itvl<double>> components) {
    Box box(static_cast<int>(components.size()));
    int i = 0;
    for (const Iv_Itvl<double>& c : components) {
        box.Set(i++, c);
    }
    return box;
}

using Calls = std::vector<std::string>;

// Hands out one recording window (or none) and records what it was asked for.
class RecordingFactory : public Win_WindowFactory {
public:
    Win_Window* Create(double x0, double y0, double x1, double y1, int canvasX, int canvasY,
                       int width, int height) override {
        char text[128];
        std::snprintf(text, sizeof text, "(%g,%g) (%g,%g) at %d,%d %dx%d", x0, y0, x1, y1, canvasX,
                      canvasY, width, height);
        request = text;
        return next;
    }
    Win_Window* next = nullptr;  // new, handed to the caller
    std::string request;
};

// The installed factory for one test; none afterwards.
struct FactoryScope {
    explicit FactoryScope(Win_WindowFactory* factory) { BRIX_SetWindowFactory(factory); }
    ~FactoryScope() { BRIX_SetWindowFactory(nullptr); }
};

std::string MakeWindowOutput(const Box& box, Win_Window*& window) {
    ::testing::internal::CaptureStdout();
    window = MakeResultWindow(box, true);
    Ex_StdOut().Flush();
    return ::testing::internal::GetCapturedStdout();
}

TEST(ResultPainter, PaintsInColourWithOrWithoutBorders) {
    RecordingWindow window;
    ResultPainter painter;
    painter.window = &window;
    Box box = MakeBox({{0.0, 2.0}, {1.0, 3.0}});

    painter.PaintTrueBox(box);
    EXPECT_EQ(window.calls,
              (Calls{"fg 3", "fill (0,1) (2,3)", "fg 1", "line (0,1) (2,1)", "line (2,1) (2,3)",
                     "line (2,3) (0,3)", "line (0,3) (0,1)", "fg 1"}));
    window.calls.clear();
    painter.borders = false;
    painter.PaintFalseBox(box);
    painter.PaintUnknownBox(MakeBox({{0.0, 2.0}}));  // one component: y spans [0, 1]
    EXPECT_EQ(window.calls,
              (Calls{"fg 2", "fill (0,1) (2,3)", "fg 1", "fg 0", "fill (0,0) (2,1)", "fg 1"}));
}

TEST(ResultPainter, MarksThroughTheMiddle) {
    RecordingWindow window;
    ResultPainter painter;
    painter.window = &window;
    Box box = MakeBox({{0.0, 2.0}, {0.0, 4.0}});
    painter.MarkUnknownBox(box, true, true, false);
    painter.MarkUnknownBox(box, false, false, true);
    painter.MarkUnknownBox(box, true, true, true);
    painter.MarkUnknownBox(box, true, false, false);
    EXPECT_EQ(window.calls, (Calls{"fg 3", "line (0,2) (2,2)", "fg 2", "line (1,0) (1,4)", "fg 3",
                                   "point (1,2)", "fg 3"}));
}

TEST(ResultPainter, WithoutAWindowNothingIsDrawn) {
    ResultPainter painter;
    Box box = MakeBox({{0.0, 1.0}, {0.0, 1.0}});
    painter.PaintTrueBox(box);
    painter.PaintFalseBox(box);
    painter.PaintUnknownBox(box);
    painter.MarkUnknownBox(box, true, true, true);
    SUCCEED();
}

TEST(ResultPainter, WorldRectanglesAndTheAdjustRule) {
    BRIX_WorldRect unit = WorldRectOf(Box());
    EXPECT_EQ(unit.x1, 1.0);
    EXPECT_EQ(WorldRectOf(Box(0)).y1, 1.0);
    BRIX_WorldRect flat = WorldRectOf(MakeBox({{2.0, 2.0}, {0.0, 3.0}}), true);
    EXPECT_EQ(flat.x0, 2.0);
    EXPECT_EQ(flat.x1, 3.0);  // a component of width 0 spans one unit

    int width = 700, height = 120;
    AdjustedSize(MakeBox({{0.0, 2.0}}), true, width, height);
    EXPECT_EQ(width, 700);
    EXPECT_EQ(height, 61);  // trunc(120 * 1 / 2) + 1

    width = 700, height = 700;
    AdjustedSize(MakeBox({{0.0, 1.0}, {0.0, 4.0}}), true, width, height);
    EXPECT_EQ(width, 176);  // trunc(700 * 1 / 4) + 1
    EXPECT_EQ(height, 700);

    width = 700, height = 700;
    AdjustedSize(MakeBox({{0.0, 1.0}, {0.0, 4.0}}), false, width, height);
    EXPECT_EQ(width, 700);

    width = 700, height = 700;  // an unbounded side leaves the size alone
    AdjustedSize(MakeBox({{-INFINITY, INFINITY}, {0.0, 1.0}}), true, width, height);
    EXPECT_EQ(width, 700);
    EXPECT_EQ(height, 700);
}

// Windows come from the installed factory, at the adjusted size, already
// shown; without a factory (the library facade) none is made, silently.
TEST(ResultPainter, WindowsComeFromTheInstalledFactory) {
    const Box box = MakeBox({{0.0, 2.0}, {-1.0, 0.0}});
    Win_Window* window = nullptr;
    EXPECT_EQ(MakeWindowOutput(box, window), "");
    EXPECT_EQ(window, nullptr);

    RecordingFactory factory;
    FactoryScope scope(&factory);
    auto* recording = new RecordingWindow;
    factory.next = recording;
    EXPECT_EQ(MakeWindowOutput(box, window), "");
    std::unique_ptr<Win_Window> made(window);
    EXPECT_EQ(made.get(), recording);
    EXPECT_EQ(factory.request, "(0,-1) (2,0) at 1,1 700x351");
    EXPECT_EQ(recording->calls, Calls{"Show"});

    factory.next = nullptr;
    EXPECT_EQ(MakeWindowOutput(box, window),
              "No window can be opened (no X display available); continuing without it.\n");
    EXPECT_EQ(window, nullptr);
}

TEST(ResultPainterDeathTest, WithoutADisplayMakeWindowSaysSoAndCarriesOn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":99999", 1);
            static XWindowFactory x11;
            BRIX_SetWindowFactory(&x11);
            ::testing::internal::CaptureStdout();
            Win_Window* window = MakeWindow(MakeBox({{0.0, 1.0}}), 700, 120, 1, 1, false);
            Ex_StdOut().Flush();
            std::fputs(::testing::internal::GetCapturedStdout().c_str(), stderr);
            std::exit(window == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "^No window can be opened \\(no X display available\\); "
        "continuing without it\\.\n$");
}

}  // namespace
