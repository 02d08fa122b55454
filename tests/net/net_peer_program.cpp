// A translated program that joins the game on 127.0.0.1 at the port given as
// its argument, greets player 101, waits for a reply and ends normally.
#include "runtime/veltric.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

double __VELTRIC__::__MainGameSub_()
{
    // The command line is "<program> <port> ".
    const char* blank = std::strchr(__g_cmdline.c_str(), ' ');
    DGStr port(blank ? blank + 1 : "");
    port.TrimRight();
    if (NETJOINGAME(0, "", "127.0.0.1", port) != 1)
        return 0;
    DGStr me = NETCREATEPLAYER_Str("program");
    NETSENDMSG(me, "101", "hello from the program");
    for (int i = 0; i < 1000; ++i) {
        if (NETGETMSG_Str(me).Len() > 0)
            break;
        usleep(10000);
    }
    return 0;
}
