// A small tree model with every node kind, gaps, NaN and infinite doubles, UTF-16 texts, nodes
// not in use, a choice, imports and source attributes, shared by the tree tests.
#pragma once

#include <memory>

#include "HostTree.h"

namespace treetest {

inline const char* const kModel = R"json({
  "name": "Fixture",
  "root": { "children": [
    { "name": "D", "kind": "double", "value": 2.5, "status": "0x400" },
    { "name": "I", "kind": "integer", "value": -7 },
    { "name": "U", "kind": "unsigned", "value": 4000000000 },
    { "index": 4, "name": "General", "number": 44, "children": [
        { "name": "Imp_Qn", "kind": "double", "value": "NaN", "status": 2 },
        { "name": "Imp_zeroQn", "kind": "bool", "value": true, "inUse": false, "status": 8 },
        { "name": "TrigAvg_Hour", "kind": "trigger" },
        { "name": "Inf", "kind": "double", "value": "-Infinity" },
        { "index": 7, "name": "A_gen", "kind": "bool" },
        { "name": "W", "kind": "word", "value": "0xdeadbeef" }
    ]},
    { "name": "Label", "kind": "text", "value": "O₂ 𝄞 sensor" },
    { "name": "Oxygen", "kind": "choice", "selected": "0x8001", "alternatives": [
        { "name": "SNo1", "children": [ { "name": "CV_O2", "kind": "double", "value": 1.0 } ] },
        { "name": "SNo2", "children": [ { "name": "CV_O2M", "kind": "double", "value": 2.0 } ] }
    ]},
    { "name": "PP", "children": [
        { "name": "PP_1", "number": 17, "children": [
            { "name": "Subst", "kind": "double", "value": 21.5 },
            { "name": "LoLim", "kind": "double", "value": -3.0 },
            { "index": 19, "name": "Out", "kind": "double", "value": 9.75, "status": "0x80",
              "attributes": { "subst": "PP.PP_1.Subst", "min": "PP.PP_1.LoLim" } }
        ]}
    ]},
    { "name": "p_imp", "kind": "import", "source": "PP.PP_1.Out",
      "attributes": { "max": "D" } },
    { "name": "free_imp", "kind": "import", "value": 4.0, "status": 16 },
    { "name": "chain_imp", "kind": "import", "source": "p_imp" },
    { "index": 12, "children": [ { "index": 3, "name": "Count", "kind": "unsigned", "value": 2 } ] }
  ]}
})json";

inline std::unique_ptr<host::HostTree> makeTree() {
    return host::HostTree::fromJson(kModel);
}

}  // namespace treetest
