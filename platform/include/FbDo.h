// The FbDo parameter tree of an address space, as the framework keeps it. Programs reach the
// tree only through these calls: navigation by child index, node queries, reads and writes of
// values with their 32-bit status words, triggers, the exclusive tree access, the change
// callback and the name binding of the calculation program.
//
// Common rules of every call below:
// - A null node, leaf, tree or alias is accepted everywhere: queries answer 0 or null (state
//   and status queries 0x1), reads the caller's default with status 0x1, writes do nothing and
//   return non-zero.
// - Each single read or write of one node is atomic with respect to every other read or write
//   of that node, from any task; no call allocates memory on the cycle path (navigation,
//   queries, numeric reads and writes, triggers, tree access, commit).
// - A read of a node that is not in use returns the caller's default and a status word with
//   bit 0x1 (OOU) set; a read of a node whose kind cannot give the requested value does too.
// - A write with a null status pointer leaves the node's status word as it is.
// - Reading an import node reads its source (the node its data reference names); an import
//   without a source reads its own value and status.
// - Both spellings of one call (FbDo_IsInUse / FbDo_IsActive, ...) behave identically.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "AsInfo.h"

// Kinds of node. The kind is the 16-bit field `nodeKind` at the start of every node object.
enum FbDoNodeKind : uint16_t {
    kFbDoStructure = 0,  // holds children only
    kFbDoDouble = 1,     // IEEE double; NaN and infinities allowed
    kFbDoInteger = 2,    // signed 32 bit
    kFbDoUnsigned = 3,   // unsigned 32 bit
    kFbDoBool = 4,       // value in bit 0
    kFbDoWord = 5,       // 32-bit bit field
    kFbDoText = 6,       // UTF-16 text
    kFbDoImport = 7,     // reads the node named by its data reference (leaf 15)
    kFbDoTrigger = 8,    // bool whose false-to-true changes are reported per reader
    kFbDoChoice = 9,     // selection word and alternatives 0 and 1
};

// Leaf numbers of a node.
enum : uint32_t {
    kFbDoLeafDataReference = 15,  // import nodes only
    kFbDoLeafValue = 19,          // value nodes and imports
    kFbDoLeafStatus = 20,         // value nodes and imports
};

// Status bit set on every read of a node that is not in use (or cannot be read).
constexpr uint32_t kFbDoStatusNotInUse = 0x1;

// A node of the tree. Only the kind field is visible; the rest belongs to the framework.
struct FbDoNodeObject {
    uint16_t nodeKind;
    uint16_t reserved;
};
typedef FbDoNodeObject* FbDoNode;

// A leaf of a node (value, status or data reference); opaque.
struct FbDoLeafObject;
typedef FbDoLeafObject* FbDoLeaf;

// A source attribute found by FbDo_LookupAlias; opaque, owned by the tree.
struct FbDoAliasObject;
typedef FbDoAliasObject* FbDoAlias;

// The framework's own part of a tree object.
struct FbDoTreeData;

// The tree object of an address space (AsInfo::pTheTree). Its first word is the root node.
// The preprocessing slot holds the preprocessing library's object for this tree: empty until
// that library stores it, never emptied by the framework. When the tree is destroyed, the
// release function given with the object (if any) is called with it.
struct FbDoTree {
    FbDoNode pRoot;
    void* pPreprocessing;
    void (*pfnReleasePreprocessing)(void* object);
    FbDoTreeData* pData;

    void* GetPreprocessing() const { return pPreprocessing; }
    void SetPreprocessing(void* object, void (*release)(void* object) = nullptr) {
        pPreprocessing = object;
        pfnReleasePreprocessing = release;
    }
};

// Data-object class tags of the cached parameters (unsigned 32-bit and double parameters).
struct DOC_Uint_32_P {};
struct DOC_Double_64_P {};

// ---- Navigation (any task) ----

// Child `index` of a node; null when the node has no child there (children may have gaps).
FbDoNode FbDo_GetChild(FbDoNode node, uint32_t index);
// The first present child in index order / the next present child of the same parent; null at
// the end. Choice alternatives are not children.
FbDoNode FbDo_FirstChild(FbDoNode node);
FbDoNode FbDo_NextSibling(FbDoNode node);
// Leaf `leaf` (19 value, 20 status, 15 data reference) of a node, or null when the node has no
// such leaf. FbDo_GetLeaf is for callers that know the leaf exists; both answer alike.
FbDoLeaf FbDo_GetLeaf(FbDoNode node, uint32_t leaf);
FbDoLeaf FbDo_FindLeaf(FbDoNode node, uint32_t leaf);

// ---- Node queries (any task) ----

// The node kind field (FbDoNodeKind); 0 for a null node.
inline uint16_t FbDo_NodeKind(FbDoNode node) {
    return node ? node->nodeKind : 0;
}
// Non-zero when the node is in use (its value may be read).
int FbDo_IsInUse(FbDoNode node);
int FbDo_IsActive(FbDoNode node);
// The selection word of a choice node; the selected alternative is in the low 15 bits.
// 0 for any other node.
uint32_t FbDo_SelectedChoice(FbDoNode node);
uint32_t FbDo_GetChoice(FbDoNode node);
// Alternative 0 or 1 of a choice node; null when absent or for another node.
FbDoNode FbDo_GetChoiceNode(FbDoNode node, uint32_t alternative);
FbDoNode FbDo_SensorSelect(FbDoNode node, uint32_t alternative);
// The node's number from the tree definition (its child index unless the definition says
// otherwise).
uint32_t FbDo_NodeNumber(FbDoNode node);
// 0 for a parameter (value or import) node, non-zero for a structure or choice node.
int FbDo_IsStructureNode(FbDoNode node);
// Writes the node's parameter name (the dotted path of names from the root, for example
// "Oxygen.SNo1.CV_O2") to `text`. `pAsInfo` is not needed by this framework and may be null.
// Returns 0, or non-zero (text emptied) for a null node or text.
int FbDo_ParameterName(FbDoNode node, std::string* text, AsInfo* pAsInfo);
// A count the node holds: the number of present children of a structure node, the value of an
// integer, unsigned or word node, 0 otherwise.
uint32_t FbDo_NodeCountQuery(FbDoNode node);
// Non-zero when the node is in use and, for an import, connected to a source.
int FbDo_QueryNode(FbDoNode node);
// The node's state word: its status word as a read gives it (0 for a good node in use).
uint32_t FbDo_QueryNodeState(FbDoNode node);
// Non-zero (the source's node handle) when an import node is connected to a source; 0 for an
// unconnected import or any other node. FbDo_DataReferenceTarget asks the same of the import
// that owns a data-reference leaf.
uint32_t FbDo_IsConnected(FbDoNode node);
uint32_t FbDo_DataReferenceTarget(FbDoLeaf dataReferenceLeaf);
// Writes the import's data reference (the source's parameter name, empty when unconnected) to
// `text`. Returns 0, or non-zero for a null leaf or text.
int FbDo_GetDataReference(FbDoLeaf dataReferenceLeaf, std::string* text);

// ---- Reads (any task). `status` may be null; `flags` is reserved (0). ----
// The value and status leaves a caller passes are the node's own leaves 19 and 20 (or null);
// the read always uses the node's current value and status.

double FbDo_ReadDouble(FbDoNode node, double defaultValue, uint32_t* status, uint32_t flags);
double FbDo_ReadDoubleWithStatus(FbDoNode node, double defaultValue, FbDoLeaf valueLeaf,
                                 uint32_t* status, uint32_t flags);
// The node's current double value whatever its in-use flag; NaN for a null or non-numeric node.
double FbDo_ReadLiveDouble(FbDoNode node);
uint32_t FbDo_ReadUnsigned(FbDoNode node, uint32_t defaultValue, FbDoLeaf valueLeaf,
                           FbDoLeaf statusLeaf, uint32_t* status, uint32_t flags);
uint32_t FbDo_ReadUint32(FbDoNode node, uint32_t defaultValue, uint32_t* status, uint32_t flags);
int32_t FbDo_ReadInteger(FbDoNode node, int32_t defaultValue, FbDoLeaf valueLeaf,
                         FbDoLeaf statusLeaf, uint32_t* status, uint32_t flags);
// The bool value in bit 0 (or the default).
uint32_t FbDo_ReadBool(FbDoNode node, uint32_t defaultValue, FbDoLeaf valueLeaf,
                       FbDoLeaf statusLeaf, uint32_t* status, uint32_t flags);
// A word, unsigned, integer or bool node's value as a 32-bit word (or the default).
uint32_t FbDo_ReadWordWithStatus(FbDoNode node, uint32_t defaultValue, uint32_t* status,
                                 uint32_t flags);
// Copies a text node's UTF-16 text to `text` (the default, or an empty text when the default
// is null, when it cannot be read). Returns 0 when the node's own text was read. Allocates.
int FbDo_ReadText(FbDoNode node, std::u16string* text, const char16_t* defaultText,
                  FbDoLeaf valueLeaf, FbDoLeaf statusLeaf, uint32_t* status, uint32_t flags);
// The value of the node owning a value leaf as a 32-bit word (bool, integer, unsigned, word or
// trigger node), whatever its in-use flag; 0 otherwise.
uint32_t FbDo_ReadLeafValue(FbDoLeaf valueLeaf);
// The status word of the node owning a status leaf (with 0x1 when it is not in use).
uint32_t FbDo_LeafStatus(FbDoLeaf statusLeaf);

// ---- Writes (any task). Return 0, non-zero when the node cannot take the value. ----
// Numbers are converted to the node's kind (saturating; NaN becomes 0 in an integer node).

int FbDo_WriteDouble(FbDoNode node, double value, const uint32_t* status);
int FbDo_WriteBool(FbDoNode node, uint32_t value, FbDoLeaf valueLeaf, FbDoLeaf statusLeaf,
                   const uint32_t* status);
// Writes a word (status words, level numbers, bit fields) to a word, unsigned, integer or bool
// node.
int FbDo_WriteLiveOutput(FbDoNode node, uint32_t word, const uint32_t* status);
int FbDo_SetLeafStatus(FbDoLeaf statusLeaf, uint32_t status);

// Non-zero once for each false-to-true change of a trigger's value since this reader's last
// call. The reader owns `lastState` (0 at first, or primed with FbDo_ReadBool of the trigger)
// and the function sets it to the value it saw; a trigger not in use reads as false. `scratch`
// (may be null) receives the trigger's status word.
int FbDo_TriggerFired(FbDoNode trigger, uint32_t* lastState, FbDoLeaf valueLeaf,
                      FbDoLeaf statusLeaf, uint32_t* scratch);

// ---- Tree access, commit, change callback ----

// Exclusive access to the tree around start and cycle work: Begin waits while another task
// holds it. Single node reads and writes outside this access stay atomic. Return 0 on success;
// non-zero for a null tree, a Begin by the task that already holds it, or an End by a task that
// does not hold it.
int FbDo_BeginTreeAccess(FbDoTree* tree);
int FbDo_EndTreeAccess(FbDoTree* tree);
// Publishes what was written since the last commit. Returns 0, non-zero for a null tree.
int FbDo_CommitPreprocessing(FbDoTree* tree);

// Called by the framework, on a framework task, once after each parameter change of the tree
// of the registering address space; the argument is that address space's AsInfo.
typedef int (*FbDoChangeCallback)(void* argument);
// Registers (or replaces) the change callback of an address space. Returns 0; non-zero for a
// null block or callback.
int FbDo_RegisterChangeCallback(AsInfo* pAsInfo, FbDoChangeCallback callback);

// ---- Name binding of the calculation program ----

// The node's handle: a non-zero 32-bit word unique among all nodes of the process; 0 for null.
uint32_t FbDo_NodeHandle(FbDoNode node);

// Looks up the source attribute `attribute` ("subst", "min", "LOP", ...) of the node at the
// dotted path in `tree` (null: the address space's tree). The attribute is looked up on the
// node itself and, for a connected import, on its source. Returns null when the path names no
// node; otherwise an alias object owned by the tree (valid or not), the same object for the
// same attribute and path.
FbDoAlias FbDo_LookupAlias(FbDoTree* tree, const char* attribute, const char* path);
// Address of the handle of the alias's element (only element 0 exists); the handle is 0 when
// the attribute names no node. Never null: a null alias or another element gives a 0 handle.
const uint32_t* FbDo_AliasHandle(FbDoAlias alias, uint32_t element);
// Non-zero when the alias's element names a node.
int FbDo_AliasValid(FbDoAlias alias, uint32_t element);
// Writes a description of the alias ("<path>:<attribute> -> <node>") to `text`. Returns 0.
int FbDo_AliasText(FbDoAlias alias, std::string* text, uint32_t element);

// The names a binding run publishes for the layout's Var node.
struct NodeVarTable {
    explicit NodeVarTable(uint32_t varNodeHandle) : varNode(varNodeHandle) {}

    std::map<std::string, uint32_t> names;
    uint32_t varNode;
};
// Adds (or replaces) a name with its node handle.
void nameTableInsert(NodeVarTable& table, const std::string& name, uint32_t handle);
// Hands the table to the framework: the tree that owns the Var node (or, without one, a bound
// node) keeps a copy of the names. Returns 0; non-zero when no tree owns them.
int nameTableCommit(const NodeVarTable& table);

// ---- Tree life cycle (initial task) ----

// Starts the tree service: makes the tree of the current address space from the tree model the
// host configured, if it has none yet, and sets AsInfo::pTheTree. Returns 0 or an error code.
int Tarvo_TreeStart(uint32_t argument);
// Makes the address space's tree (as Tarvo_TreeStart) for `pAsInfo` and prepares it for the
// cycles. Returns 0 or an error code.
int Tarvo_FbDoPrepare(AsInfo* pAsInfo);
// Loads the parameters of the current address space's tree (makes the tree when needed).
// Returns 0 or an error code.
int Tarvo_ParameterService(uint32_t service, uint32_t mode);
