// Host control of the parameter tree: building a tree from a tree model (docs/tree-model.md),
// finding nodes by parameter name, setting values, status words, in-use flags, triggers and
// choices between cycles (as the simulator and tests do), reading them back, and delivering
// change notifications to the registered change callback.
//
// Model format in short (see docs/tree-model.md):
//   { "name": "Demo", "root": { "children": [
//       { "index": 4, "name": "General", "children": [
//           { "name": "Imp_Qn", "kind": "double", "value": "NaN", "status": 2 },
//           { "name": "TrigAvg_Hour", "kind": "trigger", "inUse": false } ] },
//       { "name": "p_imp", "kind": "import", "source": "General.Imp_Qn" } ] } }
// Kinds: structure, double, integer, unsigned, bool, word, text, trigger, choice ("selected",
// "alternatives": [node, node]), import ("source": parameter name, "valueKind").
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "FbDo.h"

namespace host {

// A node named by its handle or by its parameter name (dotted path from the root).
class NodeRef {
  public:
    NodeRef(FbDoNode node) : myNode(node) {}
    NodeRef(const char* path) : myPath(path) {}
    NodeRef(std::string path) : myPath(std::move(path)) {}

    FbDoNode node() const { return myNode; }
    const std::string& path() const { return myPath; }

  private:
    FbDoNode myNode = nullptr;
    std::string myPath;
};

// One parameter tree. Setters and getters work on single nodes, atomically, from any thread;
// they throw std::out_of_range for a path that names no node and std::invalid_argument for a
// node of another tree or of a kind that cannot take the value.
class HostTree {
  public:
    // Builds a tree from a model file / model text. Throws std::runtime_error with the reason
    // (unreadable file, JSON syntax, unknown kind, duplicate index, unresolvable source).
    static std::unique_ptr<HostTree> fromFile(const std::string& path);
    static std::unique_ptr<HostTree> fromJson(const std::string& text);
    // The host tree behind a framework tree object, or null.
    static HostTree* of(const FbDoTree* tree);
    // The host tree a node belongs to, or null.
    static HostTree* ofNode(FbDoNode node);

    ~HostTree();
    HostTree(const HostTree&) = delete;
    HostTree& operator=(const HostTree&) = delete;

    // The framework's tree object (AsInfo::pTheTree) and its root.
    FbDoTree* tree();
    FbDoNode root() const;
    // The model's name.
    const std::string& name() const;
    // Sets pAsInfo->pTheTree to this tree.
    void install(AsInfo* pAsInfo);
    // The address spaces that used this tree ended: their change callbacks are dropped and the
    // object in the preprocessing slot, memory of those address spaces, is released (the slot
    // is empty again). The nodes keep their values, statuses and texts for the next address
    // space, as the device's parameter store keeps them across a program restart.
    void detachAddressSpaces();

    // Node by parameter name ("" is the root); null when there is none.
    FbDoNode find(const std::string& path) const;
    // Node by reference; throws std::out_of_range when there is none.
    FbDoNode at(const NodeRef& ref) const;
    // Node by handle (FbDo_NodeHandle); null when no node of this tree has it.
    FbDoNode byHandle(uint32_t handle) const;

    // Values. Numbers are converted to the node's kind; text only goes to text nodes.
    void setDouble(const NodeRef& ref, double value);
    void setInteger(const NodeRef& ref, int32_t value);
    void setUnsigned(const NodeRef& ref, uint32_t value);  // unsigned, word, integer, bool
    void setBool(const NodeRef& ref, bool value);          // bool and trigger nodes
    void setText(const NodeRef& ref, const std::u16string& value);
    void setStatus(const NodeRef& ref, uint32_t status);
    void setInUse(const NodeRef& ref, bool inUse);
    void setSelectedChoice(const NodeRef& ref, uint32_t selection);

    // Current values as stored, whatever the in-use flag (imports: their source's).
    double doubleValue(const NodeRef& ref) const;
    int32_t integerValue(const NodeRef& ref) const;
    uint32_t wordValue(const NodeRef& ref) const;  // unsigned, word, integer, bool, trigger
    bool boolValue(const NodeRef& ref) const;
    std::u16string textValue(const NodeRef& ref) const;
    uint32_t status(const NodeRef& ref) const;
    bool inUse(const NodeRef& ref) const;
    uint32_t selectedChoice(const NodeRef& ref) const;  // choice nodes
    FbDoNodeKind kind(const NodeRef& ref) const;

    // Change notification. A parameter change made between cycles is marked here; the
    // framework calls the change callback of every address space whose tree this is once per
    // marked change, on a framework task, when the host delivers them.
    void markChanged();
    // Sets a value and marks the change.
    void changeDouble(const NodeRef& ref, double value);
    void changeUnsigned(const NodeRef& ref, uint32_t value);
    uint32_t pendingChanges() const;
    // Delivers every pending change and returns when the last callback has finished; returns
    // the number of callback calls made (0 when none is registered; the changes are then
    // dropped).
    uint32_t deliverChanges();

    // Number of FbDo_CommitPreprocessing calls so far.
    uint32_t commitCount() const;
    // The names committed by nameTableCommit (name -> handle), and the node of one name.
    std::map<std::string, uint32_t> committedNames() const;
    FbDoNode committedNode(const std::string& name) const;

    struct State;

  private:
    explicit HostTree(std::unique_ptr<State> state);
    std::unique_ptr<State> myState;
};

// Delivers every pending change of `tree` as HostTree::deliverChanges does, but on a framework
// task that does not take the tree access, as the device's framework may while a task holds it
// (a cycle runs): tests of a change that arrives in the middle of a cycle. Returns the number
// of callback calls made.
uint32_t deliverChangesDuringAccess(HostTree& tree);

// UTF-8 text as the tree's UTF-16 text and back; throws std::runtime_error for malformed UTF-8.
std::u16string treeTextFromUtf8(const std::string& text);
std::string utf8FromTreeText(const std::u16string& text);

// The name of `kind` as tree models write it ("double", "trigger", ...); "unknown" for a value
// that is no kind.
const char* kindName(FbDoNodeKind kind);

// The double a tree model or a scenario names by text: "NaN", "Infinity" or "-Infinity". False
// (and `*value` untouched) for any other text.
bool doubleFromName(const std::string& text, double* value);

// The tree model that Tarvo_TreeStart, Tarvo_FbDoPrepare and Tarvo_ParameterService load for
// the address space (a file, or model text). An empty setting makes those calls fail.
void setTreeModelFile(const std::string& path);
void setTreeModelJson(const std::string& text);
// Why the last of those calls could not make the tree ("" when none failed).
std::string treeModelError();
// The tree those calls made, or null. Dropping it destroys the tree (tests, scenario end) and
// empties pTheTree of the registered block when it held that tree.
HostTree* addressSpaceTree();
void dropAddressSpaceTree();
// The address space ended and its tree stays: detachAddressSpaces on the tree (when there is
// one), and the registered block no longer holds it. Call after the address space's tasks have
// ended (host::endAllTasks) and before its kernel objects are closed (host::resetKernel).
void keepAddressSpaceTree();
// The tree that the next of the framework's tree calls to need one takes instead of making it
// from the model (a caller that made it already, e.g. to check names against it). Setting the
// model drops it.
void prepareAddressSpaceTree(std::unique_ptr<HostTree> tree);
// Trees made from a model (HostTree::fromFile, fromJson) since the process started. Any thread.
uint64_t treeModelBuildCount();

// Writes (FbDo_WriteDouble, FbDo_WriteBool, FbDo_WriteLiveOutput) made through a null node
// handle since the process started, in every tree. Such a write changes nothing and returns
// IllegalParameter to its caller, as on the device; tests compare the count before and after
// to see that a program made none. Any thread.
uint64_t nullNodeWriteCount();

}  // namespace host
