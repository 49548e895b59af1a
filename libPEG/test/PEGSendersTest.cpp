// Every sender: its code, its payload layout and its special cases, through a connected client.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "PEGTestSupport.h"

namespace {

using pegtest::narrow;
using pegtest::Sent;
using pegtest::wide;
using pegtest::words;

constexpr uint32_t kItem = 310;

struct SenderCase {
    const char* title;
    std::function<void(ServiceObject*)> send;
    std::vector<Sent> expected;
};

void PrintTo(const SenderCase& c, std::ostream* os) {
    *os << c.title;
}

const uint32_t kPair[2] = {7, 8};
const uint8_t kEight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
const uint64_t kElements[] = {0x0102030405060708u, 9, 0};
const uint64_t kNoElements[] = {0};

std::vector<uint8_t> elementBytes() {
    return {8, 7, 6, 5, 4, 3, 2, 1, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

// clang-format off
const SenderCase kSenderCases[] = {
    {"command 10",            [](ServiceObject* s) { PEG_command10(s, kItem); },               {{kItem, 10, {}}}},
    {"words 11 to 13",        [](ServiceObject* s) { PEG_sendWords11to13(s, kItem, 1, 2, 3); },
                              {{kItem, 11, words({1})}, {kItem, 12, words({2})}, {kItem, 13, words({3})}}},
    {"narrow text 18",        [](ServiceObject* s) { PEG_setText(s, kItem, "ab"); },          {{kItem, 18, narrow("ab")}}},
    {"no text: 18 bare",      [](ServiceObject* s) { PEG_setText(s, kItem, nullptr); },       {{kItem, 18, {}}}},
    {"text with word 49",     [](ServiceObject* s) { PEG_setTextWithWord49(s, kItem, "x", 5); },
                              {{kItem, 49, words({5})}, {kItem, 18, narrow("x")}}},
    {"language key 19",       [](ServiceObject* s) { PEG_setLanguageTextKey(s, kItem, "SGERG_LR"); },
                              {{kItem, 19, narrow("SGERG_LR")}}},
    {"no language key: 18",   [](ServiceObject* s) { PEG_setLanguageTextKey(s, kItem, nullptr); }, {{kItem, 18, {}}}},
    {"narrow text 20",        [](ServiceObject* s) { PEG_sendNarrowText20(s, kItem, "t"); },  {{kItem, 20, narrow("t")}}},
    {"no text 20: 18 bare",   [](ServiceObject* s) { PEG_sendNarrowText20(s, kItem, nullptr); }, {{kItem, 18, {}}}},
    {"enabled",               [](ServiceObject* s) { PEG_setEnabled(s, kItem, true); },       {{kItem, 22, {}}}},
    {"not enabled",           [](ServiceObject* s) { PEG_setEnabled(s, kItem, false); },      {{kItem, 23, {}}}},
    {"enable",                [](ServiceObject* s) { PEG_enable(s, kItem); },                 {{kItem, 22, {}}}},
    {"disable",               [](ServiceObject* s) { PEG_disable(s, kItem); },                {{kItem, 23, {}}}},
    {"command 25",            [](ServiceObject* s) { PEG_command25(s, kItem); },              {{kItem, 25, {}}}},
    {"wide text abc: 8 bytes", [](ServiceObject* s) { PEG_setWideText(s, kItem, u"abc"); },
                              {{kItem, 26, {'a', 0, 'b', 0, 'c', 0, 0, 0}}}},
    {"no wide text: 18 bare", [](ServiceObject* s) { PEG_setWideText(s, kItem, nullptr); },   {{kItem, 18, {}}}},
    {"wide text with 49",     [](ServiceObject* s) { PEG_setWideTextWithWord49(s, kItem, u"\u00e4", 6); },
                              {{kItem, 49, words({6})}, {kItem, 26, wide(u"\u00e4")}}},
    {"narrow text 27",        [](ServiceObject* s) { PEG_sendNarrowText27(s, kItem, "q"); },  {{kItem, 27, narrow("q")}}},
    {"no text 27: 18 bare",   [](ServiceObject* s) { PEG_sendNarrowText27(s, kItem, nullptr); }, {{kItem, 18, {}}}},
    {"command 28",            [](ServiceObject* s) { PEG_command28(s, kItem); },              {{kItem, 28, {}}}},
    {"value 29",              [](ServiceObject* s) { PEG_sendValue(s, kItem, 0xFFFFFFFF); },  {{kItem, 29, words({0xFFFFFFFF})}}},
    {"value data 29",         [](ServiceObject* s) { PEG_sendValueData(s, kItem, kEight, 3); }, {{kItem, 29, {1, 2, 3}}}},
    {"value data length 0",   [](ServiceObject* s) { PEG_sendValueData(s, kItem, kEight, 0); }, {}},
    {"value data null",       [](ServiceObject* s) { PEG_sendValueData(s, kItem, nullptr, 4); }, {}},
    {"text key 30",           [](ServiceObject* s) { PEG_setTextKey(s, kItem, "K_LR"); },     {{kItem, 30, narrow("K_LR")}}},
    {"no text key: 30 bare",  [](ServiceObject* s) { PEG_setTextKey(s, kItem, nullptr); },    {{kItem, 30, {}}}},
    {"wide text 31",          [](ServiceObject* s) { PEG_sendWideText31(s, kItem, u"w"); },   {{kItem, 31, wide(u"w")}}},
    {"no wide text 31",       [](ServiceObject* s) { PEG_sendWideText31(s, kItem, nullptr); }, {{kItem, 31, {}}}},
    {"wide text 32",          [](ServiceObject* s) { PEG_sendWideText32(s, kItem, u""); },    {{kItem, 32, wide(u"")}}},
    {"no wide text 32",       [](ServiceObject* s) { PEG_sendWideText32(s, kItem, nullptr); }, {{kItem, 32, {}}}},
    {"byte 35",               [](ServiceObject* s) { PEG_sendByte35(s, kItem, 0xAB); },       {{kItem, 35, {0xAB}}}},
    {"word 36",               [](ServiceObject* s) { PEG_sendWord36(s, kItem, 36); },         {{kItem, 36, words({36})}}},
    {"bind 37",               [](ServiceObject* s) { PEG_bindParameter(s, kItem, "Src.P1"); }, {{kItem, 37, narrow("Src.P1")}}},
    {"empty bind 37",         [](ServiceObject* s) { PEG_bindParameter(s, kItem, ""); },      {{kItem, 37, narrow("")}}},
    {"no name: nothing",      [](ServiceObject* s) { PEG_bindParameter(s, kItem, nullptr); }, {}},
    {"word 38",               [](ServiceObject* s) { PEG_sendWord38(s, kItem, 38); },         {{kItem, 38, words({38})}}},
    {"hidden 39",             [](ServiceObject* s) { PEG_setHidden(s, kItem, 1); },           {{kItem, 39, words({1})}}},
    {"shown 39",              [](ServiceObject* s) { PEG_setHidden(s, kItem, 0); },           {{kItem, 39, words({0})}}},
    {"byte 40",               [](ServiceObject* s) { PEG_sendByte40(s, kItem, 4); },          {{kItem, 40, {4}}}},
    {"narrow text 41",        [](ServiceObject* s) { PEG_sendNarrowText41(s, kItem, "z"); },  {{kItem, 41, narrow("z")}}},
    {"no text 41: 41 bare",   [](ServiceObject* s) { PEG_sendNarrowText41(s, kItem, nullptr); }, {{kItem, 41, {}}}},
    {"narrow text 42",        [](ServiceObject* s) { PEG_sendNarrowText42(s, kItem, "y"); },  {{kItem, 42, narrow("y")}}},
    {"empty text 42: nothing", [](ServiceObject* s) { PEG_sendNarrowText42(s, kItem, ""); },  {}},
    {"no text 42: nothing",   [](ServiceObject* s) { PEG_sendNarrowText42(s, kItem, nullptr); }, {}},
    {"triple 43",             [](ServiceObject* s) { PEG_sendTriple43(s, kItem, 1, 2, 3); },  {{kItem, 43, words({1, 2, 3})}}},
    {"pair and word 43",      [](ServiceObject* s) { PEG_sendPairAndWord43(s, kItem, kPair, 9); }, {{kItem, 43, words({7, 8, 9})}}},
    {"no pair: nothing",      [](ServiceObject* s) { PEG_sendPairAndWord43(s, kItem, nullptr, 9); }, {}},
    {"triple 44",             [](ServiceObject* s) { PEG_sendTriple44(s, kItem, 4, 5, 6); },  {{kItem, 44, words({4, 5, 6})}}},
    {"word 45",               [](ServiceObject* s) { PEG_sendWord45(s, kItem, 45); },         {{kItem, 45, words({45})}}},
    {"pair 46",               [](ServiceObject* s) { PEG_sendPair46(s, kItem, 1, 2); },       {{kItem, 46, words({1, 2})}}},
    {"pair 47",               [](ServiceObject* s) { PEG_sendPair47(s, kItem, 3, 4); },       {{kItem, 47, words({3, 4})}}},
    {"command 48",            [](ServiceObject* s) { PEG_command48(s, kItem); },              {{kItem, 48, {}}}},
    {"word 49",               [](ServiceObject* s) { PEG_sendWord49(s, kItem, 49); },         {{kItem, 49, words({49})}}},
    {"word 50",               [](ServiceObject* s) { PEG_sendWord50(s, kItem, 50); },         {{kItem, 50, words({50})}}},
    {"command 51",            [](ServiceObject* s) { PEG_command51(s, kItem); },              {{kItem, 51, {}}}},
    {"elements 53",           [](ServiceObject* s) { PEG_sendElements53(s, kItem, kElements); }, {{kItem, 53, elementBytes()}}},
    {"empty elements: bare",  [](ServiceObject* s) { PEG_sendElements53(s, kItem, kNoElements); }, {{kItem, 53, {}}}},
    {"no elements: bare",     [](ServiceObject* s) { PEG_sendElements53(s, kItem, nullptr); }, {{kItem, 53, {}}}},
    {"word 54",               [](ServiceObject* s) { PEG_sendWord54(s, kItem, 54); },         {{kItem, 54, words({54})}}},
    {"bytes 55",              [](ServiceObject* s) { PEG_sendBytes55(s, kItem, kEight); },
                              {{kItem, 55, {1, 2, 3, 4, 5, 6, 7, 8}}}},
    {"no bytes 55: nothing",  [](ServiceObject* s) { PEG_sendBytes55(s, kItem, nullptr); },   {}},
    {"word 56",               [](ServiceObject* s) { PEG_sendWord56(s, kItem, 56); },         {{kItem, 56, words({56})}}},
    {"word 57",               [](ServiceObject* s) { PEG_sendWord57(s, kItem, 57); },         {{kItem, 57, words({57})}}},
    {"command 58",            [](ServiceObject* s) { PEG_command58(s, kItem); },              {{kItem, 58, {}}}},
    {"empty time D1",         [](ServiceObject* s) { PEG_sendEmptyTimeD1(s, kItem); },
                              {{kItem, 20, narrow("TimeCron.KEY_EmptyTime_D1_LR")}}},
    {"empty time D2",         [](ServiceObject* s) { PEG_sendEmptyTimeD2(s, kItem); },
                              {{kItem, 20, narrow("TimeCron.KEY_EmptyTime_D2_LR")}}},
};
// clang-format on

class Senders : public pegtest::DisplayServiceTest,
                public ::testing::WithParamInterface<SenderCase> {};

TEST_P(Senders, SendCodeAndPayload) {
    connect();
    GetParam().send(&service);
    EXPECT_EQ(pegtest::sentBy(peer), GetParam().expected);
}

TEST_P(Senders, SendNothingWithoutServiceObjectOrClient) {
    GetParam().send(nullptr);
    GetParam().send(&service);  // no client yet
    EXPECT_TRUE(pegtest::sentBy(peer).empty());
}

INSTANTIATE_TEST_SUITE_P(AllSenders, Senders, ::testing::ValuesIn(kSenderCases));

using SenderResults = pegtest::DisplayServiceTest;

TEST_F(SenderResults, DirectSendersReturnTheSendsResult) {
    EXPECT_EQ(PEG_sendCommandValue(&service, kItem, 12, 5), 0) << "no client: 0";
    EXPECT_EQ(PEG_sendValueDataDirect(nullptr, kItem, kEight, 4), 0);
    EXPECT_EQ(PEG_queryClient(&service), 0u);
    connect();
    EXPECT_EQ(PEG_sendCommandValue(&service, kItem, 12, 5), Success);
    EXPECT_EQ(PEG_sendValueDataDirect(&service, kItem, kEight, 2), Success);
    std::vector<uint8_t> tooLong(kServiceRecordMax);
    EXPECT_EQ(PEG_sendValueDataDirect(&service, kItem, tooLong.data(),
                                      static_cast<uint32_t>(tooLong.size())),
              BufferTooSmall);
    EXPECT_EQ(pegtest::sentBy(peer),
              (std::vector<Sent>{{kItem, 12, words({5})}, {kItem, 29, {1, 2}}}));
    peer.push(host::makeServiceRecord(1, 2));
    peer.push(host::makeServiceRecord(1, 3));
    EXPECT_EQ(PEG_queryClient(&service), 2u) << "records waiting for the client task";
}

TEST_F(SenderResults, TextLongerThanARecordIsNotSent) {
    connect();
    const std::u16string longText(kServiceRecordMax / 2, u'x');
    PEG_setWideText(&service, kItem, longText.c_str());
    const std::string longNarrow(kServiceRecordMax, 'x');
    PEG_setText(&service, kItem, longNarrow.c_str());
    const std::u16string fits((kServiceRecordMax - kServiceRecordHeader) / 2 - 1, u'y');
    PEG_setWideText(&service, kItem, fits.c_str());
    const std::vector<Sent> sent = pegtest::sentBy(peer);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, wide(fits));
}

}  // namespace
