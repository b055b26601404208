#include "Win/Win_XWindow.h"

#include "Win/Win_XWindowState.h"

#include <cstdio>

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xutil.h>
#include <poll.h>

XWindowState xState;

namespace {

// Xlib's own handlers for a broken connection end the process. Returning from
// both instead lets the solver finish its run without the window.
int ReportConnectionLost(Display*) {
    xState.lost = true;
    std::fputs("Lost the connection to the X display; the window is closed.\n", stderr);
    return 0;
}

void ConnectionLost(Display*, void*) {
    xState.lost = true;
}

bool StartToolkit() {
    if (!xState.toolkitStarted) {
        XtToolkitInitialize();
        xState.context = XtCreateApplicationContext();
        xState.toolkitStarted = true;
    }
    // The program's own command line is not handed to the toolkit.
    static char name[] = "tallo";
    char* argv[] = {name, nullptr};
    int argc = 1;
    // XtOpenDisplay answers null when the display cannot be opened, where the
    // one-call initialisation would end the process.
    xState.display =
        XtOpenDisplay(xState.context, nullptr, "tallo", "Tallo", nullptr, 0, &argc, argv);
    if (xState.display == nullptr) {
        return false;
    }
    XSetIOErrorHandler(ReportConnectionLost);
    XSetIOErrorExitHandler(xState.display, ConnectionLost, nullptr);
    xState.topLevel =
        XtAppCreateShell("tallo", "Tallo", applicationShellWidgetClass, xState.display, nullptr, 0);

    static char defaultFont[] = "6x13";
    XtResource fontResource = {const_cast<char*>(XtNfont),
                               const_cast<char*>(XtCFont),
                               const_cast<char*>(XtRFontStruct),
                               sizeof(XFontStruct*),
                               0,
                               const_cast<char*>(XtRString),
                               defaultFont};
    XtGetApplicationResources(xState.topLevel, &xState.font, &fontResource, 1, nullptr, 0);

    XGCValues values;
    values.function = GXcopy;
    values.plane_mask = AllPlanes;
    values.cap_style = CapRound;
    values.join_style = JoinRound;
    values.fill_style = FillSolid;
    unsigned long mask = GCFunction | GCPlaneMask | GCCapStyle | GCJoinStyle | GCFillStyle;
    if (xState.font != nullptr) {
        values.font = xState.font->fid;
        mask |= GCFont;
    }
    xState.gc = XCreateGC(xState.display, DefaultRootWindow(xState.display), mask, &values);
    return true;
}

int ClampSize(int pixels) {
    return pixels < 1 ? 1 : (pixels > 4096 ? 4096 : pixels);
}

void OnExpose(Widget, XtPointer window, XEvent*, Boolean*) {
    static_cast<XWindow*>(window)->HandleExpose();
}

void OnStructure(Widget, XtPointer window, XEvent* event, Boolean*) {
    static_cast<XWindow*>(window)->HandleStructure(*event);
}

}  // namespace

bool XWindow::DisplayAvailable() {
    if (xState.lost) {
        return false;
    }
    return xState.display != nullptr || StartToolkit();
}

XWindow* XWindow::Create(double x0, double y0, double x1, double y1, int canvasX, int canvasY,
                         int width, int height) {
    if (!DisplayAvailable()) {
        return nullptr;
    }
    return new XWindow(x0, y0, x1, y1, canvasX, canvasY, width, height);
}

XWindow::XWindow(double x0, double y0, double x1, double y1, int canvasX, int canvasY, int width,
                 int height)
    : Win_Window(x0, y0, x1, y1) {
    SetWidth(ClampSize(width));
    SetHeight(ClampSize(height));
    if (xState.lost || xState.display == nullptr) {
        return;  // an inert window: every operation does nothing
    }
    Display* display = xState.display;
    const int screen = DefaultScreen(display);

    // The fixed size keeps window managers from resizing the drawing.
    Arg shellArgs[5];
    XtSetArg(shellArgs[0], XtNminWidth, Width());
    XtSetArg(shellArgs[1], XtNmaxWidth, Width());
    XtSetArg(shellArgs[2], XtNminHeight, Height());
    XtSetArg(shellArgs[3], XtNmaxHeight, Height());
    XtSetArg(shellArgs[4], XtNallowShellResize, True);
    shell = XtAppCreateShell("tallo", "Tallo", topLevelShellWidgetClass, display, shellArgs, 5);

    Arg canvasArgs[4];
    XtSetArg(canvasArgs[0], XtNwidth, Width());
    XtSetArg(canvasArgs[1], XtNheight, Height());
    XtSetArg(canvasArgs[2], XtNx, canvasX);
    XtSetArg(canvasArgs[3], XtNy, canvasY);
    canvas = XtCreateManagedWidget("canvas", coreWidgetClass, shell, canvasArgs, 4);

    colors[0] = WhitePixel(display, screen);
    colors[1] = BlackPixel(display, screen);
    colors[2] = colors[0];
    colors[3] = colors[1];
    if (xState.RootDepth() > 1) {
        const char* names[2] = {"red", "green"};
        for (int i = 0; i < 2; ++i) {
            XColor color;
            Colormap map = DefaultColormap(display, screen);
            if (XParseColor(display, map, names[i], &color) != 0 &&
                XAllocColor(display, map, &color) != 0) {
                colors[2 + i] = color.pixel;
            }
        }
    }
    backgroundPixel = colors[backgroundIndex];
    foregroundPixel = colors[foregroundIndex];

    XtAddEventHandler(canvas, ExposureMask, False, OnExpose, this);
    XtAddEventHandler(canvas, StructureNotifyMask, False, OnStructure, this);

    pixmap =
        XCreatePixmap(display, RootWindow(display, screen), Width(), Height(), xState.RootDepth());
    XWindow::Clear();

    exposed = false;
    XtSetMappedWhenManaged(shell, False);
    XtRealizeWidget(shell);
    textX = textY = textLineStart = 3;
    XWindow::ProcessEvents();
}

XWindow::~XWindow() {
    if (xState.lost || shell == nullptr) {
        return;  // the connection is gone, and with it the server's objects
    }
    XtDestroyWidget(shell);
    // The server keeps a pixmap until it is freed or the connection closes.
    XFreePixmap(xState.display, pixmap);
    XFlush(xState.display);
}

bool XWindow::Drawable() const {
    return !xState.lost && pixmap != 0;
}

_XDisplay* XWindow::XDisplay() const {
    return xState.display;
}

unsigned long XWindow::CanvasWindowId() const {
    return canvas != nullptr ? XtWindow(canvas) : 0;
}

int XWindow::Depth() const {
    return xState.display != nullptr ? static_cast<int>(xState.RootDepth()) : 0;
}

void XWindow::Show() {
    if (!Drawable()) {
        return;
    }
    XMapWindow(xState.display, XtWindow(shell));
    // Wait for the first exposure, at most 200 rounds of 50 ms, so that a
    // window manager that never maps the window cannot hang the run; a later
    // exposure still brings the drawing to the screen.
    for (int round = 0; !exposed && !xState.lost && round < 200; ++round) {
        ProcessEvents();
        if (!exposed && !xState.lost) {
            XFlush(xState.display);
            pollfd connection = {ConnectionNumber(xState.display), POLLIN, 0};
            (void)poll(&connection, 1, 50);
        }
    }
    ProcessEvents();
    if (exposed) {
        Refresh();
    }
    if (xState.lost) {
        return;
    }
    XFlush(xState.display);
    ProcessEvents();
    if (!xState.lost) {
        XSync(xState.display, True);
    }
    ProcessEvents();
}

void XWindow::Hide() {
    exposed = false;
    if (!Drawable()) {
        return;
    }
    XUnmapWindow(xState.display, XtWindow(shell));
    ProcessEvents();
}

void XWindow::ProcessEvents() {
    while (!xState.lost && xState.context != nullptr && XtAppPending(xState.context) != 0) {
        XtAppProcessEvent(xState.context, XtIMAll);
    }
}

int XWindow::WriteBitmap(const char* fileName) {
    if (!Drawable()) {
        return BitmapOpenFailed;
    }
    return XWriteBitmapFile(xState.display, fileName, pixmap, static_cast<unsigned>(Width()),
                            static_cast<unsigned>(Height()), -1, -1);
}

void XWindow::Refresh() {
    if (!Drawable() || canvas == nullptr || !XtIsRealized(canvas)) {
        return;
    }
    XCopyArea(xState.display, pixmap, XtWindow(canvas), xState.gc, 0, 0,
              static_cast<unsigned>(Width()), static_cast<unsigned>(Height()), 0, 0);
    XFlush(xState.display);
}

void XWindow::HandleExpose() {
    exposed = true;
    Refresh();
}

void XWindow::HandleStructure(const XEvent& event) {
    int newWidth = 0, newHeight = 0;
    if (event.type == ResizeRequest) {
        newWidth = event.xresizerequest.width;
        newHeight = event.xresizerequest.height;
    } else if (event.type == ConfigureNotify) {
        // Requests for the canvas are not redirected to us; a window manager
        // that ignores the fixed-size hints resizes the shell, which resizes
        // the canvas and notifies it.
        newWidth = event.xconfigure.width;
        newHeight = event.xconfigure.height;
        if (newWidth == Width() && newHeight == Height()) {
            return;
        }
    } else {
        return;
    }
    if (!clean) {
        if (Drawable()) {
            XBell(xState.display, 100);
        }
        std::fputs("please DO NOT resize this window\n", stderr);
        return;
    }
    newWidth = ClampSize(newWidth);
    newHeight = ClampSize(newHeight);
    if (newWidth != Width() || newHeight != Height()) {
        ResizePixmap(newWidth, newHeight);
    }
    ProcessEvents();
    Refresh();
}

void XWindow::ResizePixmap(int newWidth, int newHeight) {
    if (Drawable()) {
        Display* display = xState.display;
        const ::Pixmap fresh = XCreatePixmap(display, DefaultRootWindow(display), newWidth,
                                             newHeight, xState.RootDepth());
        // A new pixmap holds no defined content: the part the old one does not
        // cover shows the background.
        XSetForeground(display, xState.gc, backgroundPixel);
        XFillRectangle(display, fresh, xState.gc, 0, 0, newWidth, newHeight);
        XCopyArea(display, pixmap, fresh, xState.gc, 0, 0,
                  static_cast<unsigned>(newWidth < Width() ? newWidth : Width()),
                  static_cast<unsigned>(newHeight < Height() ? newHeight : Height()), 0, 0);
        XFreePixmap(display, pixmap);
        pixmap = fresh;
    }
    SetWidth(newWidth);
    SetHeight(newHeight);
}

Win_Window* XWindowFactory::Create(double x0, double y0, double x1, double y1, int canvasX,
                                   int canvasY, int width, int height) {
    return XWindow::Create(x0, y0, x1, y1, canvasX, canvasY, width, height);
}
