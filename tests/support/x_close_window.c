/* x_close_window <window id>: asks a window to close the way a window
 * manager does, with a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW
 * (destroying the window instead would give the program no quit event). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <window id>\n", argv[0]);
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    Window w = (Window)strtoul(argv[1], NULL, 0);
    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    Status ok = XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return ok ? 0 : 1;
}
