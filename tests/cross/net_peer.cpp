// A translated program that plays one side of the cross-build network game
// (tests/cross/net_script.h). Its command line is "<program> host PORT" or
// "<program> join PORT". It prints, one per line, everything it sees: the
// player list (count, ids, names) after every change, and every message its
// players take, with receiver, sender and text. Every wait has a deadline of
// a minute that ends as soon as the answer is there; once one has run out the
// others are cut short, so a broken game ends quickly with its gaps printed.
#include "runtime/veltric.h"
#include "tests/cross/net_script.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace __VELTRIC__;
using namespace crossnet;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 60000;
bool g_late = false; // a deadline has passed: later waits make one attempt
Side g_side = kHostSide;
std::string g_id[kPlayers]; // the ids of the slots, as the player list shows them

void Say(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string S(const DGStr& d) { return std::string(d.c_str(), d.Len()); }

DGStr D(const std::string& s)
{
    DGStr d;
    d.Append(s.data(), static_cast<std::uint32_t>(s.size()));
    return d;
}

std::string Num(double v) { return std::to_string(static_cast<long long>(v)); }

Clock::time_point Deadline() { return Clock::now() + std::chrono::milliseconds(g_late ? 0 : kWaitMs); }

void Nap() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

// Prints the player list once it holds count players, each with an id and a
// name (a query that went unanswered on a busy machine is asked again).
void ReadList(int count)
{
    const auto end = Deadline();
    for (;;) {
        const int n = static_cast<int>(NETNUMPLAYERS());
        std::vector<std::string> lines;
        bool whole = n == count;
        for (int i = 0; i < n && whole; ++i) {
            std::string id = S(NETGETPLAYERID_Str(i));
            std::string name = S(NETPLAYERNAME_Str(D(id)));
            whole = id != "0" && name != "NO_DATA";
            lines.push_back(PlayerLine(i, id, name));
            if (i < kPlayers)
                g_id[i] = id;
        }
        if (whole || Clock::now() >= end) {
            Say("players " + std::to_string(n) + (whole ? "" : " (deadline passed)"));
            for (const std::string& l : lines)
                Say(l);
            g_late = g_late || !whole;
            return;
        }
        Nap();
    }
}

void Create(int slot)
{
    std::string id = S(NETCREATEPLAYER_Str(D(Name(slot))));
    g_id[slot] = id;
    Say(std::string("created ") + SlotLabel(slot) + " " + id);
}

void SendOne(int from, int to, const std::string& text, const std::string& nobody = "")
{
    std::string target = to == kAll ? "0" : to == kNobody ? nobody : g_id[to];
    double r = NETSENDMSG(D(g_id[from]), D(target), D(text));
    Say(std::string("sent ") + SlotLabel(from) + " to " + target + " len=" + std::to_string(text.size()) +
        " result=" + Num(r));
}

// One message of the slot's player, or false when its mailbox is empty. An
// empty text is a message too: the sender tells it from an empty mailbox.
bool TakeMail(int slot, std::string& text, std::string& from)
{
    __g_last_msg_sender = 0;
    DGStr t = NETGETMSG_Str(D(g_id[slot]));
    if (__g_last_msg_sender == 0)
        return false;
    text = S(t);
    from = S(NETGETSENDER_Str());
    return true;
}

// Takes exactly want[slot] messages for each of this side's slots, then
// prints them slot by slot in the order taken.
void AwaitMail(const std::array<int, kPlayers>& want)
{
    std::vector<std::string> got[kPlayers];
    std::size_t missing = 0;
    const auto end = Deadline();
    for (;;) {
        missing = 0;
        for (int slot = 0; slot < kPlayers; ++slot) {
            if (SideOf(slot) != g_side)
                continue;
            std::string text, from;
            while (got[slot].size() < static_cast<std::size_t>(want[slot]) && TakeMail(slot, text, from))
                got[slot].push_back(MailLine(slot, g_id[slot], from, text));
            missing += static_cast<std::size_t>(want[slot]) - got[slot].size();
        }
        if (missing == 0 || Clock::now() >= end)
            break;
        Nap();
    }
    for (int slot = 0; slot < kPlayers; ++slot) {
        for (const std::string& l : got[slot])
            Say(l);
        if (SideOf(slot) == g_side && got[slot].size() < static_cast<std::size_t>(want[slot]))
            Say(std::string("missing ") + SlotLabel(slot) + " " +
                std::to_string(static_cast<std::size_t>(want[slot]) - got[slot].size()));
    }
    g_late = g_late || missing != 0;
}

void AwaitOne(int slot)
{
    std::array<int, kPlayers> want{};
    want[slot] = 1;
    AwaitMail(want);
}

// Whatever is still in this side's mailboxes at the end is a message that
// should not have come.
void Leftovers()
{
    for (int slot = 0; slot < kPlayers; ++slot) {
        std::string text, from;
        while (SideOf(slot) == g_side && TakeMail(slot, text, from))
            Say("extra " + MailLine(slot, g_id[slot], from, text));
    }
}

void PlayScript()
{
    int k = 0;
    for (const Phase& ph : Script()) {
        Say("phase " + std::to_string(++k));
        if (ph.sender == g_side)
            for (const Send& s : ph.sends)
                SendOne(s.from, s.to, s.text, s.nobody);
        AwaitMail(Deliveries(ph));
    }
    Say("leave");
}

void Host(const std::string& port)
{
    double hosted = NETHOSTGAME(0, "", "", D(port));
    Say("hosted " + Num(hosted));
    if (hosted != 1)
        return;
    Create(0);
    Create(1);
    ReadList(2);
    Say("ready");
    ReadList(4);
    PlayScript();
    AwaitOne(0);
    ReadList(3);
    SendOne(0, 3, kAfterLeftText);
    SendOne(0, 2, kByeText);
    ReadList(2);
}

void Join(const std::string& port)
{
    Say("joined " + Num(NETJOINGAME(0, "", "127.0.0.1", D(port))));
    ReadList(2);
    Create(2);
    ReadList(3);
    Create(3);
    ReadList(4);
    PlayScript();
    // 2^32 + 102 is no id: H2 stays.
    Say("destroyed 4294967398 " + Num(NETDESTROYPLAYER("4294967398")));
    Say("destroyed G2 " + Num(NETDESTROYPLAYER(D(g_id[3]))));
    ReadList(3);
    SendOne(2, 0, kLeftText);
    AwaitOne(2);
}

} // namespace

double __VELTRIC__::__MainGameSub_()
{
    // The command line is "<program> <role> <port> "; the program's path may
    // hold blanks, so the role and the port are its last two words.
    std::istringstream in(__g_cmdline.c_str());
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    const std::string role = words.size() >= 3 ? words[words.size() - 2] : "";
    const std::string port = words.size() >= 3 ? words.back() : "";
    Say("role " + role);
    if (role == "host") {
        g_side = kHostSide;
        Host(port);
    } else {
        g_side = kGuestSide;
        Join(port);
    }
    Leftovers();
    Say("end");
    return 0;
}
