// The message format: wire bytes, the acceptance check, texts and records.
#include "net/netmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace __VELTRIC__;
using namespace __VELTRIC__::netmsg;

namespace {

// A header as the wire carries it, with any length field.
std::vector<uint8_t> Header(uint8_t type, uint32_t length, int32_t target, int32_t sender,
                            const char* magic = "VLTN")
{
    std::vector<uint8_t> b(17);
    std::memcpy(b.data(), magic, 4);
    b[4] = type;
    NetPutU32(&b[5], length);
    NetPutU32(&b[9], static_cast<uint32_t>(target));
    NetPutU32(&b[13], static_cast<uint32_t>(sender));
    return b;
}

TEST(NetMsg, EncodesLittleEndianFieldByField)
{
    NetMessage m;
    NetMessageSet(m, kUserMessage, 0x01020304, -2, "hi", 2);
    uint8_t out[kMaxMessageBytes];
    ASSERT_EQ(NetMessageEncode(m, out), 19);
    const uint8_t expect[19] = {'V', 'L', 'T', 'N', 3, 2, 0, 0, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 'h', 'i'};
    EXPECT_EQ(0, std::memcmp(out, expect, 19));

    NetMessage back;
    ASSERT_TRUE(NetMessageDecode(out, 19, back));
    EXPECT_EQ(back.type, kUserMessage);
    EXPECT_EQ(back.target, 0x01020304);
    EXPECT_EQ(back.sender, -2);
    EXPECT_EQ(back.length, 2u);
    EXPECT_STREQ(back.payload, "hi");
}

TEST(NetMsg, AcceptsOnlyWholeConsistentMessages)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
    };
    auto with = [](std::vector<uint8_t> h, size_t extra) {
        h.resize(h.size() + extra, 'x');
        return h;
    };
    const Case cases[] = {
        {"empty payload", Header(3, 0, 101, 102), true},
        {"payload as long as its length", with(Header(3, 5, 101, 102), 5), true},
        {"full payload", with(Header(3, 1024, 101, 102), 1024), true},
        {"ten bytes", std::vector<uint8_t>(10, 'V'), false},
        {"bad magic", with(Header(3, 2, 101, 102, "VLTX"), 2), false},
        {"length over 1,024", with(Header(3, 5000, 101, 102), 1024), false},
        {"length above what arrived", with(Header(3, 9, 101, 102), 5), false},
        {"length below what arrived", with(Header(3, 2, 101, 102), 5), false},
        {"more than a message", with(Header(3, 1024, 101, 102), 1025), false},
        {"huge length wrapping", with(Header(3, 0xFFFFFFF0u, 101, 102), 3), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetMessage m;
        std::memset(&m, 0x55, sizeof m);
        EXPECT_EQ(NetMessageDecode(c.bytes.data(), static_cast<int>(c.bytes.size()), m), c.ok);
        if (c.ok) {
            EXPECT_EQ(m.payload[m.length], 0) << "a 0 stands behind the payload";
        }
    }
}

TEST(NetMsg, TextStopsAtTheFirstZeroOrTheEndOfTheMessage)
{
    NetMessage m;
    std::string full(1024, 't');
    NetMessageSet(m, kUserMessage, 101, 102, full.data(), 1024);
    m.payload[1024] = 'X'; // no terminator inside the message
    EXPECT_EQ(NetMessageText(m), full);

    NetMessageSet(m, kUserMessage, 101, 102, "ab\0cd", 5);
    EXPECT_EQ(NetMessageText(m), "ab");

    NetMessageSet(m, kUserMessage, 101, 102, "", 0);
    EXPECT_EQ(NetMessageText(m), "");

    // A text longer than a message can carry is cut, never overflowing.
    std::string longer(3000, 'L');
    NetMessageSet(m, kUserMessage, 101, 102, longer.data(), 3000);
    EXPECT_EQ(m.length, 1024u);
    EXPECT_EQ(NetMessageText(m), std::string(1024, 'L'));
}

TEST(NetMsg, PlayerRecordHas152BytesWithZeroedMailboxHeader)
{
    NetPlayerRecord r;
    r.socket = 7;
    r.id = -1;
    r.hidden = 1;
    NetSetName(r, "alice");
    uint8_t out[kRecordBytes];
    std::memset(out, 0xAA, sizeof out);
    NetRecordEncode(r, out);
    EXPECT_EQ(NetGetU32(out), 7u);
    EXPECT_EQ(static_cast<int32_t>(NetGetU32(out + 4)), -1);
    EXPECT_EQ(out[8], 1);
    EXPECT_EQ(out[9], 0);
    EXPECT_STREQ(reinterpret_cast<char*>(out + 10), "alice");
    for (int i = 138; i < 152; ++i)
        EXPECT_EQ(out[i], 0) << "byte " << i;

    NetPlayerRecord back;
    ASSERT_TRUE(NetRecordDecode(out, kRecordBytes, back));
    EXPECT_STREQ(back.name, "alice");
    EXPECT_EQ(back.hidden, 1);
    EXPECT_FALSE(NetRecordDecode(out, kRecordBytes - 1, back));
    EXPECT_FALSE(NetRecordDecode(out, kRecordBytes + 1, back));
}

TEST(NetMsg, NamesAreCutTo127BytesAndTerminated)
{
    // A received record whose name field has no terminator at all.
    uint8_t in[kRecordBytes];
    std::memset(in, 'n', sizeof in);
    NetPlayerRecord r;
    ASSERT_TRUE(NetRecordDecode(in, kRecordBytes, r));
    EXPECT_EQ(std::strlen(r.name), 127u);

    std::string longName(300, 'z');
    NetSetName(r, longName.c_str());
    EXPECT_EQ(std::string(r.name), std::string(127, 'z'));
    NetSetName(r, nullptr);
    EXPECT_STREQ(r.name, "");
}

} // namespace
