#pragma once
// The dialect's network commands: hosting and joining a game, players,
// messages, queries about the game and this machine's addresses. Player ids travel as decimal text.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// The sender of the message NETGETMSG_Str took last (0 until one was taken).
extern int __g_last_msg_sender;

// Hosts a game on the port (a text; 0, negative or not a number: 26000).
double NETHOSTGAME(double unused, const DGStr& unused1, const DGStr& unused2, const DGStr& port);
// Joins the game at address ("" for this machine) and port (as for hosting).
double NETJOINGAME(double unused, const DGStr& unused1, const DGStr& address, const DGStr& port);
// The new player's id, or "-1" when the creation failed.
DGStr NETCREATEPLAYER_Str(const DGStr& name);
// Tells the server to drop the player; 1 in every case.
double NETDESTROYPLAYER(const DGStr& id);
// Sends text from one player to another ("0" or no number: to all but the
// sender). Texts are cut to 1,024 bytes. 1 when sent, else 0.
double NETSENDMSG(const DGStr& from, const DGStr& to, const DGStr& text);
// The oldest message of the local player, or "" when there is none.
DGStr NETGETMSG_Str(const DGStr& id);
DGStr NETGETSENDER_Str();
// The name of a player of the game, or "NO_DATA".
DGStr NETPLAYERNAME_Str(const DGStr& id);
// The id of the index-th player (from 0) as text; "0" when there is none.
DGStr NETGETPLAYERID_Str(double index);
// The number of players in the game; 0 without an answer.
double NETNUMPLAYERS();
// Ends any game and lists this machine's addresses, joined by "|".
DGStr NETGETIP_Str();
} // namespace __VELTRIC__
