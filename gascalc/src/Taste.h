// The taste: which of the three parameter layouts (Default, "ZM1", "BM1") the address space runs,
// and one accessor per node role that gives the node of that role in the active layout.
//
// All three layouts live in the same tree; they differ in how the root's children are numbered,
// and ZM1 and BM1 lack some roles. Made by the FbDO hook and kept for the run (the device frees it
// with the address space; ForgetCalorantRun frees it on the host). The calculation
// cycle finds every role's node at each parameter reload; from the first reload on the accessors
// give the nodes found then, before it they walk the tree. The accessors may be called from any
// task.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FbDo.h"

enum TasteKind : int32_t {
    kTasteNone = 0,  // storage that was never constructed
    kTasteDefault = 1,
    kTasteZM1 = 2,
    kTasteBM1 = 3,
};

// The node roles of the accessors, in the order of their accessors.
enum class TasteRole : uint8_t {
    CompDefault,
    CompZM1,
    CompBM1,
    SourceRefCond,
    MeasCalcMethod,
    CalcMethod,
    CalcMethodOption,
    MeasCond,
    Base1Default,
    Base1ZM1,
    Base1BM1,
    Base1RefCond,
    Base1Const,
    Base1C,
    Base1rhob,
    Base1d,
    Base1HsV,
    Base1HiV,
    Base1HsM,
    Base1HiM,
    Base1Ws,
    Base1Wi,
    Base1pb,
    Base1tb,
    Base1K,
    Base1Zb,
    Base1AirZ,
    Base1AirDensity,
    OptionalBaseOutput,
    PropertiesOutput,
    ExtendedOutput,
    EventsDefault,
    EventsZM1,
    EventsBM1,
    SourceIso6976,
    SourceAga8Mode0,
    SourceAga8Mode1,
    SourceAga8Calc12,
    RhobDefault,
    RhobZM1,
    RhobBM1,
    HVHM_HsV,
    HVHM_HiV,
    HVHM_HsM,
    HVHM_HiM,
    HVHM_Ws,
    HVHM_Wi,
    Var,
    Count
};

// Kind of layout named by a taste name: "ZM1" and "BM1" exactly (whole text, case-sensitive),
// every other text (the empty one included) the Default layout.
TasteKind TasteKindOfName(const std::string& name);

class Taste {
  public:
    // A taste of the layout that `name` names, over the tree root `root` (may be null: every
    // accessor that walks a path then returns null).
    Taste(const std::string& name, FbDoNode root);

    // A taste of `name` over the root of the program's tree (ProgramContext::pAsInfo, asserted
    // "pAsInfo" as the tree-access header does), in new storage; null when no storage is left.
    static Taste* Create(const std::string& name);

    TasteKind kind() const { return myKind; }

    // The root of the layout, or null when another layout is active.
    FbDoNode getDefault() const { return myDefaultRoot; }
    FbDoNode getZM1() const { return myZM1Root; }
    FbDoNode getBM1() const { return myBM1Root; }

    // The node of `role` in the active layout: null where the layout has no such role (the tree
    // is then not touched) or where the tree lacks a node of the path (the walk stops there).
    // Throws std::runtime_error "src/Taste:<line> No taste selected" when the kind is not 1 to 3.
    FbDoNode node(TasteRole role) const;

    // Walks the tree for the node of every role again and keeps them for the accessors. Called at
    // every parameter reload, on the initial task. Does nothing when the kind is not 1 to 3.
    void findNodes();

    FbDoNode getCompDefault() const { return node(TasteRole::CompDefault); }
    FbDoNode getCompZM1() const { return node(TasteRole::CompZM1); }
    FbDoNode getCompBM1() const { return node(TasteRole::CompBM1); }
    FbDoNode getSourceRefCond() const { return node(TasteRole::SourceRefCond); }
    FbDoNode getMeasCalcMethod() const { return node(TasteRole::MeasCalcMethod); }
    FbDoNode getCalcMethod() const { return node(TasteRole::CalcMethod); }
    FbDoNode getCalcMethodOption() const { return node(TasteRole::CalcMethodOption); }
    FbDoNode getMeasCond() const { return node(TasteRole::MeasCond); }
    FbDoNode getBase1Default() const { return node(TasteRole::Base1Default); }
    FbDoNode getBase1ZM1() const { return node(TasteRole::Base1ZM1); }
    FbDoNode getBase1BM1() const { return node(TasteRole::Base1BM1); }
    FbDoNode getBase1RefCond() const { return node(TasteRole::Base1RefCond); }
    FbDoNode getBase1Const() const { return node(TasteRole::Base1Const); }
    FbDoNode getBase1C() const { return node(TasteRole::Base1C); }
    FbDoNode getBase1rhob() const { return node(TasteRole::Base1rhob); }
    FbDoNode getBase1d() const { return node(TasteRole::Base1d); }
    FbDoNode getBase1HsV() const { return node(TasteRole::Base1HsV); }
    FbDoNode getBase1HiV() const { return node(TasteRole::Base1HiV); }
    FbDoNode getBase1HsM() const { return node(TasteRole::Base1HsM); }
    FbDoNode getBase1HiM() const { return node(TasteRole::Base1HiM); }
    FbDoNode getBase1Ws() const { return node(TasteRole::Base1Ws); }
    FbDoNode getBase1Wi() const { return node(TasteRole::Base1Wi); }
    FbDoNode getBase1pb() const { return node(TasteRole::Base1pb); }
    FbDoNode getBase1tb() const { return node(TasteRole::Base1tb); }
    FbDoNode getBase1K() const { return node(TasteRole::Base1K); }
    FbDoNode getBase1Zb() const { return node(TasteRole::Base1Zb); }
    FbDoNode getBase1AirZ() const { return node(TasteRole::Base1AirZ); }
    FbDoNode getBase1AirDensity() const { return node(TasteRole::Base1AirDensity); }
    FbDoNode getOptionalBaseOutput() const { return node(TasteRole::OptionalBaseOutput); }
    FbDoNode getPropertiesOutput() const { return node(TasteRole::PropertiesOutput); }
    FbDoNode getExtendedOutput() const { return node(TasteRole::ExtendedOutput); }
    FbDoNode getEventsDefault() const { return node(TasteRole::EventsDefault); }
    FbDoNode getEventsZM1() const { return node(TasteRole::EventsZM1); }
    FbDoNode getEventsBM1() const { return node(TasteRole::EventsBM1); }
    FbDoNode getSourceIso6976() const { return node(TasteRole::SourceIso6976); }
    FbDoNode getSourceAga8Mode0() const { return node(TasteRole::SourceAga8Mode0); }
    FbDoNode getSourceAga8Mode1() const { return node(TasteRole::SourceAga8Mode1); }
    FbDoNode getSourceAga8Calc12() const { return node(TasteRole::SourceAga8Calc12); }
    FbDoNode getRhobDefault() const { return node(TasteRole::RhobDefault); }
    FbDoNode getRhobZM1() const { return node(TasteRole::RhobZM1); }
    FbDoNode getRhobBM1() const { return node(TasteRole::RhobBM1); }
    FbDoNode getHVHM_HsV() const { return node(TasteRole::HVHM_HsV); }
    FbDoNode getHVHM_HiV() const { return node(TasteRole::HVHM_HiV); }
    FbDoNode getHVHM_HsM() const { return node(TasteRole::HVHM_HsM); }
    FbDoNode getHVHM_HiM() const { return node(TasteRole::HVHM_HiM); }
    FbDoNode getHVHM_Ws() const { return node(TasteRole::HVHM_Ws); }
    FbDoNode getHVHM_Wi() const { return node(TasteRole::HVHM_Wi); }
    FbDoNode getVar() const { return node(TasteRole::Var); }

  protected:
    // A taste whose kind was never set (as in storage that was not constructed).
    Taste() = default;

  private:
    FbDoNode activeRoot() const;
    FbDoNode walk(TasteRole role) const;

    TasteKind myKind = kTasteNone;
    // The nodes of the last findNodes, by role; valid once myNodesFound is set.
    std::atomic<FbDoNode> myNodes[static_cast<size_t>(TasteRole::Count)] = {};
    std::atomic<bool> myNodesFound{false};
    FbDoNode myZM1Root = nullptr;
    FbDoNode myBM1Root = nullptr;
    FbDoNode myDefaultRoot = nullptr;
};
