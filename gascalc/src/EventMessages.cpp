#include "EventMessages.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ProgramContext.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

// Bits that make a variable's message a failure: the not-good bits without the two limit bits.
constexpr uint32_t kFailureMask = 0x148f;
constexpr int kNoMessage = -1;

struct VariableMessages {
    int child[5];  // min, max, failure, min_warn, max_warn
};
struct ComponentMessages {
    int component;
    int child[4];  // min, max, min_warn, max_warn
};

// Variables p, t, HsV, rhob, d.
enum Variable : int { kP, kT, kHsV, kRhob, kD, kVariableCount };

struct EventsLayout {
    uint32_t traceMissing;
    VariableMessages variable[kVariableCount];
    int conversionFailure;
    int calculationFailure;
    int componentCount;
    ComponentMessages component[kComponentCount];
};

constexpr VariableMessages kNone5 = {{kNoMessage, kNoMessage, kNoMessage, kNoMessage, kNoMessage}};

constexpr EventsLayout kDefaultEvents = {
    0x60003,
    {{{0, 1, 2, 69, 70}},
     {{3, 4, 5, 71, 72}},
     {{7, 8, 9, 73, 74}},
     {{10, 11, 12, 75, 76}},
     {{13, 14, 15, 77, 78}}},
    6,
    16,
    26,
    {{1, {17, 18, 79, 80}},  {2, {19, 20, 81, 82}},  {0, {21, 22, -1, -1}},  {3, {23, 24, -1, -1}},
     {4, {25, 26, -1, -1}},  {10, {27, 28, -1, -1}}, {11, {29, 30, -1, -1}}, {12, {31, 32, -1, -1}},
     {13, {33, 34, -1, -1}}, {21, {35, 36, -1, -1}}, {14, {37, 38, -1, -1}}, {15, {39, 40, -1, -1}},
     {16, {41, 42, -1, -1}}, {17, {43, 44, -1, -1}}, {18, {45, 46, -1, -1}}, {7, {47, 48, 83, 84}},
     {9, {49, 50, -1, -1}},  {5, {51, 52, -1, -1}},  {6, {53, 54, -1, -1}},  {8, {55, 56, -1, -1}},
     {19, {57, 58, -1, -1}}, {20, {59, 60, -1, -1}}, {22, {61, 62, -1, -1}}, {23, {63, 64, -1, -1}},
     {24, {65, 66, -1, -1}}, {25, {67, 68, -1, -1}}}};

constexpr EventsLayout kZM1Events = {
    0x60013, {{{0, 1, 2, 8, 9}}, {{3, 4, 5, 10, 11}}, kNone5, kNone5, kNone5}, 6, 7, 0, {}};

constexpr EventsLayout kBM1Events = {0x60023,
                                     {{{0, 1, 2, 41, 42}},
                                      {{3, 4, 5, 43, 44}},
                                      {{7, 8, 9, 45, 46}},
                                      {{10, 11, 12, 47, 48}},
                                      {{13, 14, 15, 49, 50}}},
                                     6,
                                     16,
                                     12,
                                     {{1, {17, 18, 51, 52}},
                                      {2, {19, 20, 53, 54}},
                                      {0, {21, 22, -1, -1}},
                                      {3, {23, 24, -1, -1}},
                                      {4, {25, 26, -1, -1}},
                                      {10, {27, 28, -1, -1}},
                                      {11, {29, 30, -1, -1}},
                                      {12, {31, 32, -1, -1}},
                                      {13, {33, 34, -1, -1}},
                                      {21, {35, 36, -1, -1}},
                                      {14, {37, 38, -1, -1}},
                                      {7, {39, 40, 55, 56}}}};

// True when every message child of `layout` has a place among the found message nodes.
constexpr bool fitsMessageNodes(const EventsLayout& layout) {
    bool fits = layout.conversionFailure < static_cast<int>(kEventMessageChildren) &&
                layout.calculationFailure < static_cast<int>(kEventMessageChildren);
    for (const VariableMessages& messages : layout.variable) {
        for (int child : messages.child) {
            fits = fits && child < static_cast<int>(kEventMessageChildren);
        }
    }
    for (const ComponentMessages& messages : layout.component) {
        for (int child : messages.child) {
            fits = fits && child < static_cast<int>(kEventMessageChildren);
        }
    }
    return fits;
}
static_assert(fitsMessageNodes(kDefaultEvents) && fitsMessageNodes(kZM1Events) &&
                  fitsMessageNodes(kBM1Events),
              "every message child is found at the reload");

// The Events node of the taste's layout; null for another kind.
FbDoNode eventsNodeOf(const Taste& taste) {
    switch (taste.kind()) {
        case kTasteDefault:
            return taste.getEventsDefault();
        case kTasteZM1:
            return taste.getEventsZM1();
        case kTasteBM1:
            return taste.getEventsBM1();
        default:
            return nullptr;
    }
}

// Writes one message; a message the layout lacks is skipped.
void writeMessage(const EventMessageNodes& nodes, int child, uint32_t value) {
    if (child == kNoMessage) {
        return;
    }
    const FbDoValueNode& message = nodes.message[child];
    if (message.node == nullptr) {
        return;
    }
    WriteBoolValue(message, value, nullptr);
}

uint32_t bit(uint32_t word, uint32_t mask) {
    return (word & mask) != 0 ? 1 : 0;
}

void writeVariableMessages(const EventMessageNodes& nodes, const VariableMessages& messages,
                           uint32_t enabled, uint32_t word) {
    const uint32_t s = enabled != 0 ? word : 0;
    const bool failure = (s & kFailureMask) != 0;
    const uint32_t values[5] = {failure ? 0 : bit(s, status::kBelowLimit),
                                failure ? 0 : bit(s, status::kAboveLimit), failure ? 1u : 0u,
                                failure ? 0 : bit(s, status::kBelowWarning),
                                failure ? 0 : bit(s, status::kAboveWarning)};
    for (int i = 0; i < 5; ++i) {
        writeMessage(nodes, messages.child[i], values[i]);
    }
}

void writeComponentMessages(const EventMessageNodes& nodes, const ComponentMessages& messages) {
    const int k = messages.component;
    InputUseMarks& marks = calcBlock.useMarks;
    const CompositionRecords& composition = calcBlock.composition;
    uint32_t s = 0;
    if (composition.settings.active[k] != 0) {
        if (marks.component[k] != 0 || marks.composition != 0) {
            s = composition.gas.status[k];
        }
    } else if (marks.component[k] != 0) {
        // A method needs a component that the analysis does not deliver.
        marks.calculationFailed = 1;
    }
    const bool failure = (s & kFailureMask) != 0;
    if (failure) {
        marks.calculationFailed = 1;
    }
    const uint32_t values[4] = {
        failure ? 0 : bit(s, status::kBelowLimit), failure ? 0 : bit(s, status::kAboveLimit),
        failure ? 0 : bit(s, status::kBelowWarning), failure ? 0 : bit(s, status::kAboveWarning)};
    for (int i = 0; i < 4; ++i) {
        writeMessage(nodes, messages.child[i], values[i]);
    }
}

void writeEvents(const EventsLayout& layout) {
    const EventMessageNodes& nodes = calcBlock.eventMessages;
    if (nodes.events == nullptr) {
        CALORANT_TRACE(layout.traceMissing, TraceFormat());
        return;
    }
    const StateConversionRecords& conversion = calcBlock.conversion;
    const ImportedValueRecords& imported = calcBlock.imported;
    InputUseMarks& marks = calcBlock.useMarks;
    const uint32_t enabled[kVariableCount] = {1, 1, marks.heatingValue, marks.baseDensity,
                                              marks.relativeDensity};
    const uint32_t words[kVariableCount] = {conversion.input.statusP, conversion.input.statusT,
                                            imported.heatingStatus[0], imported.densityStatus[0],
                                            imported.densityStatus[1]};
    for (int v = 0; v < kVariableCount; ++v) {
        writeVariableMessages(nodes, layout.variable[v], enabled[v], words[v]);
    }
    const bool optionalBound = calcBlock.optionalOutputs.optionalBaseOutput != nullptr;
    const bool conversionFailed =
        conversion.state[0].statusC != 0 || (optionalBound && conversion.state[1].statusC != 0);
    writeMessage(nodes, layout.conversionFailure, conversionFailed ? 1 : 0);
    for (int i = 0; i < layout.componentCount; ++i) {
        writeComponentMessages(nodes, layout.component[i]);
    }
    if (marks.composition != 0 && calcBlock.composition.settings.compositionActive == 0) {
        marks.calculationFailed = 1;
    }
    writeMessage(nodes, layout.calculationFailure, marks.calculationFailed);
}

}  // namespace

void FindEventMessageNodes() {
    EventMessageNodes& nodes = calcBlock.eventMessages;
    const Taste* taste = ProgramContext::myTaste.Load();
    nodes.events = taste != nullptr ? eventsNodeOf(*taste) : nullptr;
    for (uint32_t child = 0; child < kEventMessageChildren; ++child) {
        nodes.message[child] = FindValueNode(FbDo_GetChild(nodes.events, child));
    }
}

void WriteEventsStep() {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr) {
        return;
    }
    switch (taste->kind()) {
        case kTasteDefault:
            writeEvents(kDefaultEvents);
            break;
        case kTasteZM1:
            writeEvents(kZM1Events);
            break;
        case kTasteBM1:
            writeEvents(kBM1Events);
            break;
        default:
            break;
    }
}
