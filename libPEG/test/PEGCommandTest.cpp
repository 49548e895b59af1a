// Reading a display command record within its length, at any alignment.
#include <gtest/gtest.h>

#include <vector>

#include "HostService.h"
#include "PEGCommand.h"

namespace {

// The record at an odd address, as the service task hands records over.
struct OddRecord {
    explicit OddRecord(const std::vector<uint8_t>& record) : bytes(record.size() + 1) {
        std::copy(record.begin(), record.end(), bytes.begin() + 1);
    }
    PEGCommand command(uint32_t length) const { return PEGCommand(bytes.data() + 1, length); }
    PEGCommand command() const { return command(static_cast<uint32_t>(bytes.size() - 1)); }
    std::vector<uint8_t> bytes;
};

TEST(PEGCommandTest, HeaderWordsAreLittleEndianAtAnyAlignment) {
    const OddRecord record(host::makeServiceRecord(0x0001FA00, 29, host::u32Payload(0x01020304)));
    const PEGCommand command = record.command();
    EXPECT_TRUE(command.complete());
    EXPECT_EQ(command.itemId(), 0x0001FA00u);
    EXPECT_EQ(command.commandCode(), 29u);
    uint32_t value = 0;
    ASSERT_TRUE(command.payloadWord(value));
    EXPECT_EQ(value, 0x01020304u);
}

TEST(PEGCommandTest, RecordShorterThanItsHeaderHasNoItemNoCodeAndNoPayload) {
    const OddRecord record(host::makeServiceRecord(64000, 2, host::u32Payload(7)));
    for (uint32_t length : {0u, 4u, 8u, 11u}) {
        const PEGCommand command = record.command(length);
        EXPECT_FALSE(command.complete()) << length;
        EXPECT_EQ(command.itemId(), 0u) << length;
        EXPECT_EQ(command.commandCode(), 0u) << length;
        uint32_t value = 99;
        EXPECT_FALSE(command.payloadWord(value)) << length;
        EXPECT_EQ(value, 99u);
        EXPECT_TRUE(command.payloadText().empty());
    }
    EXPECT_FALSE(PEGCommand(nullptr, 40).complete()) << "a null record has no bytes";
}

TEST(PEGCommandTest, ValuePayloadNeedsFourBytes) {
    const OddRecord record(host::makeServiceRecord(410, 29, host::u32Payload(3)));
    for (uint32_t payloadBytes : {0u, 1u, 3u}) {
        uint32_t value = 99;
        int32_t index = 99;
        EXPECT_FALSE(record.command(12 + payloadBytes).payloadWord(value)) << payloadBytes;
        EXPECT_FALSE(record.command(12 + payloadBytes).payloadIndex(index)) << payloadBytes;
        EXPECT_EQ(value, 99u);
        EXPECT_EQ(index, 99);
    }
}

TEST(PEGCommandTest, SelectionIndexAboveInt32MaxNamesNoEntry) {
    struct Case {
        uint32_t word;
        int32_t index;
    };
    for (const Case& c : {Case{0, 0}, Case{5, 5}, Case{0x7FFFFFFF, 0x7FFFFFFF},
                          Case{0x80000000, -1}, Case{0xFFFFFFFF, -1}}) {
        const OddRecord record(host::makeServiceRecord(410, 29, host::u32Payload(c.word)));
        int32_t index = 99;
        ASSERT_TRUE(record.command().payloadIndex(index));
        EXPECT_EQ(index, c.index) << c.word;
    }
}

TEST(PEGCommandTest, TextStopsAtItsTerminatorOrAtTheRecordsEnd) {
    std::vector<uint8_t> payload = host::text16Payload(u"ab\u00e4");
    payload.push_back('x');  // after the terminator: not part of the text
    payload.push_back(0);
    const OddRecord record(host::makeServiceRecord(111, 29, payload));
    struct Case {
        uint32_t length;
        std::u16string text;
    };
    for (const Case& c : {Case{12, u""}, Case{13, u""}, Case{14, u"a"}, Case{17, u"ab"},
                          Case{18, u"ab\u00e4"}, Case{20, u"ab\u00e4"}, Case{22, u"ab\u00e4"}}) {
        EXPECT_EQ(record.command(c.length).payloadText(), c.text) << c.length;
    }
}

}  // namespace
