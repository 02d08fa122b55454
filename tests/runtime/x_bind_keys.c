/* x_bind_keys KEYSYM...: puts each keysym alone on a keycode that has no
 * symbol yet, prints those keycodes one a line, and keeps the binding until
 * it is sent SIGTERM (the server restores its own map when its last client
 * leaves, so the helper stays connected); then it removes the bindings.
 * The server's default map has keys such as Meta_L or Sys_Req only as a
 * shifted level of another key, and a program reads a key by its unshifted
 * symbol. */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, NULL);

    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    int lo, hi, per;
    XDisplayKeycodes(d, &lo, &hi);
    KeySym* map = XGetKeyboardMapping(d, (KeyCode)lo, hi - lo + 1, &per);
    int bound[64];
    int nbound = 0;
    int next = hi;
    for (int i = 1; i < argc && nbound < 64; ++i) {
        KeySym sym = XStringToKeysym(argv[i]);
        while (next >= lo) {
            int used = 0;
            for (int l = 0; l < per; ++l)
                used |= map[(next - lo) * per + l] != NoSymbol;
            if (!used)
                break;
            --next;
        }
        if (sym == NoSymbol || next < lo)
            break;
        /* Both levels: the server does not take a map of one symbol a key. */
        KeySym syms[2] = {sym, sym};
        XChangeKeyboardMapping(d, next, 2, syms, 1);
        bound[nbound++] = next--;
    }
    XSync(d, False);
    XFree(map);
    for (int i = 0; i < nbound; ++i)
        printf("%d\n", bound[i]);
    printf("bound\n");
    fflush(stdout);

    int sig;
    sigwait(&term, &sig);
    for (int i = 0; i < nbound; ++i) {
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(d, bound[i], 2, none, 1);
    }
    XSync(d, False);
    XCloseDisplay(d);
    return nbound == argc - 1 ? 0 : 1;
}
