#pragma once
// The fixed script of the cross-build network game, shared by the peer
// program (which plays it) and the test (which knows what each side must
// see). Two programs play: the host with players H1 and H2, the guest with
// G1 and G2. The game runs in phases; in each phase one side sends, then
// both sides take exactly the messages the phase delivers to their players
// before the next phase begins, so every line a side prints comes in one
// order, whatever the timing.
#include <array>
#include <string>
#include <vector>

namespace crossnet {

enum Side { kHostSide = 0, kGuestSide = 1 };

// Player slots: H1, H2 on the host, G1, G2 on the guest.
constexpr int kPlayers = 4;
constexpr int kAll = -1;    // a broadcast ("0" as the target)
constexpr int kNobody = -2; // an id text that names no player (Send::nobody)

inline Side SideOf(int slot) { return slot < 2 ? kHostSide : kGuestSide; }
inline const char* SlotLabel(int slot)
{
    static const char* const labels[kPlayers] = {"H1", "H2", "G1", "G2"};
    return labels[slot];
}

// The ids a reset game gives in this script: the host's two players, the
// host's hidden query player (103, made by its first query), the guest's
// hidden query player (104, made by its join) and the guest's two players.
inline int ExpectedId(int slot)
{
    static const int ids[kPlayers] = {101, 102, 105, 106};
    return ids[slot];
}

// The longest name a player record holds and the longest text a message
// carries.
constexpr std::size_t kNameLimit = 127;
constexpr std::size_t kTextLimit = 1024;

// Bytes 1 to 255 in a scrambled order (no 0, which would end the text).
inline std::string AllBytes(std::size_t n, unsigned seed)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>(1 + (i * 37 + seed) % 255);
    return s;
}

// Names with quotes, separators, format directives, bytes above 127 and
// control bytes; G1's is longer than a record holds.
inline std::string Name(int slot)
{
    switch (slot) {
    case 0:
        return "H\xc3\xb4st \"one\" | \\ %s %d \xff";
    case 1:
        return std::string("H2:") + AllBytes(kNameLimit - 3, 5); // exactly the limit
    case 2:
        return std::string("G1 ") + AllBytes(200, 11) + "<cut>";
    default:
        return "gu\xe9st\ttwo,\x01;";
    }
}

// What a name becomes in the game: cut to what the record holds.
inline std::string NameInGame(int slot) { return Name(slot).substr(0, kNameLimit); }

struct Send {
    int from; // slot
    int to;   // slot, kAll or kNobody
    std::string text;
    std::string nobody = {}; // the target's text when to is kNobody
};

struct Phase {
    Side sender;
    std::vector<Send> sends;
};

// Texts a player sends to one player of the other side: plain, empty, every
// byte value, exactly the limit, beyond the limit (cut), bytes above 127 and
// control characters.
inline std::vector<std::string> DirectTexts(const std::string& who, unsigned seed)
{
    return {
        "hello from the " + who,
        "",
        AllBytes(300, seed),
        AllBytes(kTextLimit, seed + 1),
        AllBytes(kTextLimit - 4, seed + 2) + "....<cut>",
        "Gr\xc3\xbc\xc3\x9f\xc3\xa9 \x80\xfe\xff |\\\"%d%s%n",
        "tab\tline\nreturn\r",
    };
}

inline std::vector<Phase> Script()
{
    std::vector<Phase> p;
    {
        Phase ph{kGuestSide, {}};
        for (const std::string& t : DirectTexts("guest", 3))
            ph.sends.push_back({2, 0, t});
        p.push_back(ph);
    }
    {
        Phase ph{kHostSide, {}};
        for (const std::string& t : DirectTexts("host", 40))
            ph.sends.push_back({0, 2, t});
        ph.sends.push_back({1, 3, "from H2 to G2"});
        p.push_back(ph);
    }
    p.push_back({kGuestSide, {{3, kAll, "broadcast from G2 \xe2\x82\xac"}}});
    p.push_back({kHostSide, {{0, kAll, "broadcast from H1 \xc2\xa9"}}});
    // Ids no player has: one never given, and texts beyond the int range,
    // which are held to it like every number text and must not wrap onto
    // H1's 101 (2^32 + 101, -2^32 + 101) or all players (-1, what a 20-digit
    // text becomes when cut to 32 bits).
    p.push_back({kGuestSide,
                 {{2, 3, "G1 to its own G2 through the host"},
                  {3, kNobody, "to nobody", "9999"},
                  {3, kNobody, "to 2^32 + 101", "4294967397"},
                  {3, kNobody, "to -2^32 + 101", "-4294967195"},
                  {3, kNobody, "to twenty digits", "99999999999999999999"},
                  {2, 1, "G1 to H2"}}});
    p.push_back({kHostSide, {{1, 0, "H2 to its own H1"}, {0, 3, "H1 to G2"}}});
    return p;
}

// The leave: the guest destroys an id text beyond the int range, which must
// drop nobody (above all not H2 through 2^32 + 102), then drops G2 and tells
// H1; the host writes to the player that left (the message goes nowhere) and
// says goodbye to G1, and the guest ends normally.
constexpr const char* kLeftText = "G2 left";
constexpr const char* kAfterLeftText = "to G2 after it left";
constexpr const char* kByeText = "bye";

// What a text becomes in the game: cut to what a message holds.
inline std::string TextInGame(const std::string& t) { return t.substr(0, kTextLimit); }

// The slots that receive a send: its target, or everyone but the sender.
inline std::vector<int> Receivers(const Send& s)
{
    std::vector<int> r;
    if (s.to == kAll) {
        for (int slot = 0; slot < kPlayers; ++slot)
            if (slot != s.from)
                r.push_back(slot);
    } else if (s.to >= 0) {
        r.push_back(s.to);
    }
    return r;
}

// How many messages each slot gets in a phase.
inline std::array<int, kPlayers> Deliveries(const Phase& ph)
{
    std::array<int, kPlayers> n{};
    for (const Send& s : ph.sends)
        for (int slot : Receivers(s))
            ++n[slot];
    return n;
}

// A text as one printable line: printable ASCII stays, everything else and
// the backslash become \xNN.
inline std::string Escape(const std::string& s)
{
    static const char hex[] = "0123456789abcdef";
    std::string r;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            r += static_cast<char>(c);
        } else {
            r += "\\x";
            r += hex[c >> 4];
            r += hex[c & 15];
        }
    }
    return r;
}

// The line a side prints for a message it took from a player's mailbox.
inline std::string MailLine(int slot, const std::string& toId, const std::string& fromId,
                            const std::string& text)
{
    return std::string("mail ") + SlotLabel(slot) + " to=" + toId + " from=" + fromId +
           " len=" + std::to_string(text.size()) + " text=" + Escape(text);
}

// The line of one player in a printed list.
inline std::string PlayerLine(int index, const std::string& id, const std::string& name)
{
    return "player " + std::to_string(index) + " id=" + id + " name=" + Escape(name);
}

} // namespace crossnet
