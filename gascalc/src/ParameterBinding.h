// The parameter binding: publishes, once at set-up, the names of the active layout with their
// node handles in a NodeVarTable and hands the table to the framework. The three layouts share
// the order of the run (BindLayout), the ten limit names of the measuring-condition imports and
// the two operations below; each layout's rows are in LayoutBindings.
//
// Everything runs on the initial task inside the set-up hook.
#pragma once

#include <cstdint>
#include <string>

#include "FbDo.h"
#include "Taste.h"

// Inserts `name` with the handle of element `index` of `var` (a limit or alias object); a zero
// handle inserts nothing (traced). Throws std::invalid_argument (null-check text "var") when
// `var` is null.
void AddVarChild(NodeVarTable& table, const std::string& name, FbDoAlias var, uint32_t index);

// Binds the alias `name` of import `node` (path `path`): a plain node binds its own handle; an
// import fed by a preprocessing line (its reference contains "PP.PP_") binds the line's
// `attribute`, looked up into `*slot`; other imports and invalid attributes are skipped
// (traced). Throws std::runtime_error for a null node ("...:388 no param node (NULL) for alias"
// + name) and an import without data-reference leaf ("...:399 import node has no Dr Leaf for
// alias" + name).
void ResolveAlias(NodeVarTable& table, const char* attribute, const std::string& name,
                  const char* path, FbDoAlias* slot, FbDoNode node);

// The trace points and the root of one layout's run.
struct LayoutBindingPlan {
    uint32_t entryTrace;
    uint32_t noTreeTrace;
    uint32_t failedTrace;
    FbDoNode (Taste::*root)() const;  // the layout root getter of the taste
    const char* rootText;             // its null-check text
    // Binds the layout's rows into the table (throws on a missing node).
    void (*bindRows)(NodeVarTable& table, FbDoNode root);
};

// The common run: entry trace; no tree: trace, 1; the ten limit lookups; then, guarded against
// std::exception (traced with its text, result 1, nothing committed): the root check, the table
// over the Var node, the layout's rows, the commit. Returns 0 when the table was committed.
int BindLayout(const LayoutBindingPlan& plan);

// Binding steps the layouts share.
// Fetches root child `index` through the null check with `text`.
FbDoNode CheckedGroup(FbDoNode root, uint32_t index, const char* text);
// Binds `name` to child `child` of `group` through the null check "nodeVar.get<name>()".
void BindNodeVariable(NodeVarTable& table, FbDoNode group, const char* name, uint32_t child);
// Binds `name` to `node`, a node the layout is known to have (no null check); a missing one is
// left out of the table (traced) instead of being published with handle 0.
void BindNode(NodeVarTable& table, const char* name, FbDoNode node);
// The ten limit names from the limit objects of the block.
void BindLimitNames(NodeVarTable& table);
// Child path of up to three steps from the root, stopping at a missing node.
FbDoNode ChildPath(FbDoNode root, uint32_t a, int32_t b = -1, int32_t c = -1);
