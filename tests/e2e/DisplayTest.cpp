// The result window as a user sees it: build/brix solves a problem with -d,
// the test reads the window's pixels back from the X server while BRIX waits
// for the answer that closes it, and checks the picture against the box
// listing printed afterwards (-ob): the centre of every true box that covers
// a few pixels must be green, of every false box red. Without an X display
// the tests skip.
#include "support/ListingText.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// After GoogleTest: Xlib defines macros (None, Bool, Status) its headers use.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct ListedBox {
    std::vector<double> lo, hi;
};

// The boxes printed under a heading of the listing, as doubles.
std::vector<ListedBox> BoxesUnder(const std::string& output, const std::string& heading) {
    std::vector<ListedBox> boxes;
    for (const BoundTexts& texts : BoxTextsUnder(output, heading)) {
        ListedBox box;
        for (const auto& [a, b] : texts) {
            box.lo.push_back(std::stod(a));
            box.hi.push_back(std::stod(b));
        }
        boxes.push_back(box);
    }
    return boxes;
}

// A captured window: its size and pixels as 0xRRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned long> pixels;
    unsigned long At(int column, int row) const { return pixels[row * width + column]; }
};

const unsigned long kGreen = 0x00ff00, kRed = 0xff0000, kWhite = 0xffffff;

// The drawing areas of every BRIX window on the display (the shells are
// named "tallo"; each holds one canvas).
std::vector<Window> Canvases(Display* display) {
    std::vector<Window> found;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned i = 0; i < count; ++i) {
        XClassHint hint;
        if (XGetClassHint(display, children[i], &hint) == 0) {
            continue;
        }
        bool ours = std::strcmp(hint.res_name, "tallo") == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
        Window r, p, *inner = nullptr;
        unsigned n = 0;
        if (ours && XQueryTree(display, children[i], &r, &p, &inner, &n) != 0 && n > 0) {
            found.push_back(inner[0]);
        }
        if (inner != nullptr) {
            XFree(inner);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

Picture Capture(Display* display, Window window) {
    Picture picture;
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return picture;
    }
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int row = 0; row < picture.height; ++row) {
        for (int column = 0; column < picture.width; ++column) {
            picture.pixels.push_back(XGetPixel(image, column, row) & 0xffffff);
        }
    }
    XDestroyImage(image);
    return picture;
}

// One run of build/brix with -d: stdin stays open while the window is up.
struct DisplayRun {
    std::string output;          // all of standard output
    std::vector<Picture> shown;  // every BRIX window, captured while BRIX waited
    int status = -1;
};

bool ReadUntil(int fd, std::string& text, const std::string& marker, int seconds) {
    char buffer[4096];
    for (int waited = 0; text.find(marker) == std::string::npos;) {
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, 100);
        if (ready == 0) {
            if (++waited > seconds * 10) {
                return false;
            }
            continue;
        }
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

DisplayRun Solve(const std::string& input, const std::string& arguments, Display* display) {
    DisplayRun run;
    int toBrix[2], fromBrix[2];
    if (pipe(toBrix) != 0 || pipe(fromBrix) != 0) {
        return run;
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(toBrix[0], 0);
        dup2(fromBrix[1], 1);
        close(toBrix[1]);
        close(fromBrix[0]);
        std::string command = std::string("exec ") + BRIX_EXECUTABLE + " " + arguments;
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toBrix[0]);
    close(fromBrix[1]);
    signal(SIGPIPE, SIG_IGN);
    ssize_t written = write(toBrix[1], input.data(), input.size());
    EXPECT_EQ(written, static_cast<ssize_t>(input.size()));
    if (ReadUntil(fromBrix[0], run.output, "Enter ; to close window\n", 120)) {
        XSync(display, False);
        for (Window canvas : Canvases(display)) {
            run.shown.push_back(Capture(display, canvas));
        }
    }
    // The answer that closes the window (BRIX may have ended already).
    if (write(toBrix[1], ";\n", 2) != 2) {
        run.output += "";
    }
    close(toBrix[1]);
    ReadUntil(fromBrix[0], run.output, std::string(1, '\0'), 120);  // to the end of output
    close(fromBrix[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Pixel column and row of a world point, as the window maps it.
int Column(double x, double x0, double x1, int width) {
    return static_cast<int>((x - x0) * (width / (x1 - x0)));
}
int Row(double y, double y0, double y1, int height) {
    return static_cast<int>((y1 - y) * (height / (y1 - y0)));
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            GTEST_SKIP() << "no X display: the display tests need one (make check runs xvfb-run)";
        }
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // Checks the centre pixel of every listed box of a kind that covers at
    // least 5 x 5 pixels; returns how many boxes were checked.
    int CheckCentres(const Picture& p, const std::vector<ListedBox>& boxes, unsigned long colour,
                     double x0, double x1, double y0, double y1) {
        int checked = 0;
        for (const ListedBox& b : boxes) {
            int c0 = Column(b.lo[0], x0, x1, p.width), c1 = Column(b.hi[0], x0, x1, p.width);
            int r0 = 0, r1 = p.height;  // one variable: full-height strips
            if (b.lo.size() == 2) {
                r0 = Row(b.hi[1], y0, y1, p.height);
                r1 = Row(b.lo[1], y0, y1, p.height);
            }
            if (c1 - c0 < 5 || r1 - r0 < 5) {
                continue;
            }
            int column = (c0 + c1) / 2;
            for (int row : {(r0 + r1) / 2, r0 + 2, r1 - 3}) {
                EXPECT_EQ(p.At(column, row), colour) << "box [" << b.lo[0] << ", " << b.hi[0]
                                                     << "] at pixel " << column << "," << row;
            }
            ++checked;
        }
        return checked;
    }

    Display* display = nullptr;
};

TEST_F(DisplayTest, TwoVariablesTrueGreenFalseRedOpenWhite) {
    DisplayRun run = Solve("x^2 + y^2 <= 1;\n[x, y];\n[[-1.5, 1.5], [-1.5, 1.5]];\n",
                           "-is -ob -opf -e 0.05 -d", display);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.shown.size(), 1u) << run.output;
    const Picture& p = run.shown[0];
    ASSERT_EQ(p.width, 700);
    ASSERT_EQ(p.height, 700);
    EXPECT_EQ(run.output.find("Window: [ [ -1.5, 1.5 ], [ -1.5, 1.5 ] ]\n"), 0u) << run.output;
    auto trueBoxes = BoxesUnder(run.output, "F, rounded inwards, is true on\n");
    auto falseBoxes = BoxesUnder(run.output, "F, rounded inwards, is false on\n");
    EXPECT_GT(CheckCentres(p, trueBoxes, kGreen, -1.5, 1.5, -1.5, 1.5), 4);
    EXPECT_GT(CheckCentres(p, falseBoxes, kRed, -1.5, 1.5, -1.5, 1.5), 4);
    // Near the centre it is green, the corners red, and the boundary circle
    // (which no box can decide) is open: white or a black border.
    EXPECT_EQ(p.At(330, 330), kGreen);  // (350, 350) is a corner shared by four boxes
    EXPECT_EQ(p.At(10, 10), kRed);
    EXPECT_EQ(p.At(690, 690), kRed);
    unsigned long onCircle = p.At(Column(1.0, -1.5, 1.5, 700), 350);
    EXPECT_TRUE(onCircle == kWhite || onCircle == 0) << std::hex << onCircle;
}

TEST_F(DisplayTest, OneVariableDrawsFullHeightStrips) {
    DisplayRun run = Solve("x^2 <= 1;\n[x];\n[[-2, 2]];\n", "-is -ob -opf -e 0.05 -d", display);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.shown.size(), 1u) << run.output;
    const Picture& p = run.shown[0];
    ASSERT_EQ(p.width, 700);
    ASSERT_EQ(p.height, 120);
    auto trueBoxes = BoxesUnder(run.output, "F, rounded inwards, is true on\n");
    auto falseBoxes = BoxesUnder(run.output, "F, rounded inwards, is false on\n");
    EXPECT_GT(CheckCentres(p, trueBoxes, kGreen, -2, 2, 0, 1), 0);
    EXPECT_GT(CheckCentres(p, falseBoxes, kRed, -2, 2, 0, 1), 0);
}

TEST_F(DisplayTest, AspectToggleKeepsTheShapeOfB) {
    // B is four times as wide as high: -da gives 700 x (700 / 4 + 1).
    DisplayRun run =
        Solve("x >= 2 y;\n[x, y];\n[[0, 4], [0, 1]];\n", "-is -ob -opf -e 0.1 -d -da", display);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.shown.size(), 1u) << run.output;
    const Picture& p = run.shown[0];
    EXPECT_EQ(p.width, 700);
    EXPECT_EQ(p.height, 176);
    auto trueBoxes = BoxesUnder(run.output, "F, rounded inwards, is true on\n");
    auto falseBoxes = BoxesUnder(run.output, "F, rounded inwards, is false on\n");
    EXPECT_GT(CheckCentres(p, trueBoxes, kGreen, 0, 4, 0, 1) +
                  CheckCentres(p, falseBoxes, kRed, 0, 4, 0, 1),
              0);
    EXPECT_EQ(p.At(690, 170), kGreen);  // x = 4, y = 0: 4 >= 0
    EXPECT_EQ(p.At(5, 5), kRed);        // x = 0, y = 1: 0 < 2
}

TEST_F(DisplayTest, TraceFlagOpensASecondWindowForTheTopBox) {
    DisplayRun run = Solve("x^2 + y^2 <= 1;\n[x, y];\n[[-1.5, 1.5], [-1.5, 1.5]];\n",
                           "-is -opf -f 0 1 -d", display);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.shown.size(), 2u);
    std::size_t first = run.output.find("Window: [ [ -1.5, 1.5 ], [ -1.5, 1.5 ] ]\n");
    ASSERT_NE(first, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Window: ", first + 1), std::string::npos) << run.output;
    for (const Picture& p : run.shown) {
        EXPECT_EQ(p.width, 700);
        EXPECT_EQ(p.height, 700);
    }
}

TEST_F(DisplayTest, ThreeVariablesAreNotDrawn) {
    DisplayRun run =
        Solve("x + y + z <= 1;\n[x, y, z];\n[[0, 1], [0, 1], [0, 1]];\n", "-is -opf -d", display);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.shown.empty());
    EXPECT_NE(run.output.find("Dimension too high for visualization\n"), std::string::npos)
        << run.output;
}

}  // namespace
