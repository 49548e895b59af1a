#include "Taste.h"

#include <new>
#include <stdexcept>

#include "FbDo/FbDoStorage.h"
#include "ProgramContext.h"

namespace {

// Child indices from the layout root; an empty path means the layout has no node of the role.
struct TastePath {
    uint8_t length;
    uint8_t steps[3];
};

struct TasteRoleEntry {
    TastePath paths[3];  // Default, ZM1, BM1
    uint16_t line;       // line number of the failure text
};

constexpr TastePath kNone = {0, {0, 0, 0}};
constexpr TastePath P(uint8_t a) {
    return {1, {a, 0, 0}};
}
constexpr TastePath P(uint8_t a, uint8_t b) {
    return {2, {a, b, 0}};
}
constexpr TastePath P(uint8_t a, uint8_t b, uint8_t c) {
    return {3, {a, b, c}};
}

// One row per TasteRole, in its order.
constexpr TasteRoleEntry kRoles[] = {
    {{P(6), kNone, kNone}, 44},                   // CompDefault
    {{kNone, P(5), kNone}, 55},                   // CompZM1
    {{kNone, kNone, P(6)}, 66},                   // CompBM1
    {{P(7, 0), P(6, 0), P(7, 0)}, 77},            // SourceRefCond
    {{P(8, 0), P(7, 0), P(8, 0)}, 88},            // MeasCalcMethod
    {{P(8, 1), P(7, 1), P(8, 1)}, 99},            // CalcMethod
    {{P(8, 2), P(7, 2), P(8, 2)}, 110},           // CalcMethodOption
    {{P(9), P(8), P(9)}, 121},                    // MeasCond
    {{P(10), kNone, kNone}, 132},                 // Base1Default
    {{kNone, P(9), kNone}, 143},                  // Base1ZM1
    {{kNone, kNone, P(10)}, 154},                 // Base1BM1
    {{P(10, 0), P(9, 0), P(10, 0)}, 165},         // Base1RefCond
    {{P(10, 1), P(9, 1), P(10, 1)}, 176},         // Base1Const
    {{P(10, 2), P(9, 2), P(10, 2)}, 187},         // Base1C
    {{P(10, 3), P(9, 3), P(10, 3)}, 198},         // Base1rhob
    {{P(10, 4), P(9, 4), P(10, 4)}, 209},         // Base1d
    {{P(10, 5), P(9, 5), P(10, 5)}, 220},         // Base1HsV
    {{P(10, 6), kNone, kNone}, 231},              // Base1HiV
    {{P(10, 7), kNone, kNone}, 242},              // Base1HsM
    {{P(10, 8), kNone, kNone}, 253},              // Base1HiM
    {{P(10, 9), kNone, kNone}, 264},              // Base1Ws
    {{P(10, 10), kNone, kNone}, 275},             // Base1Wi
    {{P(10, 11), P(9, 6), P(10, 6)}, 286},        // Base1pb
    {{P(10, 12), P(9, 7), P(10, 7)}, 297},        // Base1tb
    {{P(10, 13), P(9, 8), P(10, 8)}, 308},        // Base1K
    {{P(10, 14), P(9, 9), P(10, 9)}, 319},        // Base1Zb
    {{P(10, 15), P(9, 10), P(10, 10)}, 330},      // Base1AirZ
    {{P(10, 16), P(9, 11), P(10, 11)}, 341},      // Base1AirDensity
    {{P(11), kNone, kNone}, 353},                 // OptionalBaseOutput
    {{P(12), kNone, kNone}, 364},                 // PropertiesOutput
    {{P(13), kNone, P(11)}, 375},                 // ExtendedOutput
    {{P(14), kNone, kNone}, 386},                 // EventsDefault
    {{kNone, P(10), kNone}, 397},                 // EventsZM1
    {{kNone, kNone, P(12)}, 408},                 // EventsBM1
    {{P(7, 1), kNone, P(7, 1)}, 419},             // SourceIso6976
    {{P(7, 2), kNone, P(7, 2)}, 430},             // SourceAga8Mode0
    {{P(7, 3), kNone, P(7, 3)}, 441},             // SourceAga8Mode1
    {{P(7, 4), kNone, kNone}, 452},               // SourceAga8Calc12
    {{P(7, 5), kNone, kNone}, 463},               // RhobDefault
    {{kNone, P(6, 1), kNone}, 474},               // RhobZM1
    {{kNone, kNone, P(7, 4)}, 485},               // RhobBM1
    {{P(7, 6, 0), P(6, 2, 0), P(7, 5, 0)}, 496},  // HVHM_HsV
    {{P(7, 6, 1), kNone, kNone}, 507},            // HVHM_HiV
    {{P(7, 6, 2), kNone, kNone}, 518},            // HVHM_HsM
    {{P(7, 6, 3), kNone, kNone}, 529},            // HVHM_HiM
    {{P(7, 6, 4), kNone, kNone}, 540},            // HVHM_Ws
    {{P(7, 6, 5), kNone, kNone}, 551},            // HVHM_Wi
    {{P(5), P(4), P(5)}, 563},                    // Var
};
static_assert(sizeof(kRoles) / sizeof(kRoles[0]) == static_cast<size_t>(TasteRole::Count),
              "one row per role");

constexpr char kTasteSourcePath[] = "src/Taste";

[[noreturn]] void throwNoTaste(uint16_t line) {
    throw std::runtime_error(std::string(kTasteSourcePath) + ":" + std::to_string(line) +
                             " No taste selected");
}

}  // namespace

TasteKind TasteKindOfName(const std::string& name) {
    if (name == "ZM1") {
        return kTasteZM1;
    }
    if (name == "BM1") {
        return kTasteBM1;
    }
    return kTasteDefault;
}

Taste::Taste(const std::string& name, FbDoNode root) : myKind(TasteKindOfName(name)) {
    switch (myKind) {
        case kTasteZM1:
            myZM1Root = root;
            break;
        case kTasteBM1:
            myBM1Root = root;
            break;
        default:
            myDefaultRoot = root;
            break;
    }
}

Taste* Taste::Create(const std::string& name) {
    FbDoTree* tree = GetFbDoTree(ProgramContext::pAsInfo);
    return new (std::nothrow) Taste(name, tree != nullptr ? tree->pRoot : nullptr);
}

FbDoNode Taste::activeRoot() const {
    switch (myKind) {
        case kTasteZM1:
            return myZM1Root;
        case kTasteBM1:
            return myBM1Root;
        default:
            return myDefaultRoot;
    }
}

FbDoNode Taste::node(TasteRole role) const {
    if (myNodesFound.load(std::memory_order_acquire)) {
        return myNodes[static_cast<size_t>(role)].load(std::memory_order_relaxed);
    }
    return walk(role);
}

void Taste::findNodes() {
    if (myKind < kTasteDefault || myKind > kTasteBM1) {
        return;
    }
    for (size_t role = 0; role < static_cast<size_t>(TasteRole::Count); ++role) {
        myNodes[role].store(walk(static_cast<TasteRole>(role)), std::memory_order_relaxed);
    }
    myNodesFound.store(true, std::memory_order_release);
}

FbDoNode Taste::walk(TasteRole role) const {
    const TasteRoleEntry& entry = kRoles[static_cast<size_t>(role)];
    if (myKind < kTasteDefault || myKind > kTasteBM1) {
        throwNoTaste(entry.line);
    }
    const TastePath& path = entry.paths[myKind - kTasteDefault];
    if (path.length == 0) {
        return nullptr;
    }
    FbDoNode node = activeRoot();
    for (uint8_t step = 0; step < path.length && node != nullptr; ++step) {
        node = FbDo_GetChild(node, path.steps[step]);
    }
    return node;
}
