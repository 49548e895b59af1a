#include "ParameterBinding.h"

#include <cstring>
#include <exception>
#include <stdexcept>

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ProgramContext.h"
#include "util/Helper.h"

using namespace calorant;

namespace {

constexpr char kBindingSourcePath[] = "src/Calorant";
constexpr uint32_t kNoNodeLine = 388;
constexpr uint32_t kNoLeafLine = 399;
constexpr char kPreprocessingLineMark[] = "PP.PP_";
// Texts from the framework (references, alias descriptions) go to traces bounded to this length.
constexpr size_t kTraceTextMax = 255;

constexpr char kPressureImport[] = "MeasCond.p_imp";
constexpr char kTemperatureImport[] = "MeasCond.t_imp";

struct LimitLookup {
    const char* attribute;
    const char* path;
    LimitObject slot;
};
// In the order the lookups are made.
constexpr LimitLookup kLimitLookups[] = {
    {"min", kPressureImport, kPmin},        {"max", kPressureImport, kPmax},
    {"min", kTemperatureImport, kTmin},     {"max", kTemperatureImport, kTmax},
    {"min_w", kPressureImport, kPmin_w},    {"max_w", kPressureImport, kPmax_w},
    {"min_w", kTemperatureImport, kTmin_w}, {"max_w", kTemperatureImport, kTmax_w},
    {"subst", kPressureImport, kPsubst},    {"subst", kTemperatureImport, kTsubst},
};

// In the order the names are bound; the names follow the words of the block.
constexpr const char* kLimitNames[kLimitObjectCount] = {
    "Psubst", "Pmin_w", "Pmax_w", "Pmin", "Pmax", "Tsubst", "Tmin_w", "Tmax_w", "Tmin", "Tmax"};

std::string bounded(std::string text) {
    if (text.size() > kTraceTextMax) {
        text.resize(kTraceTextMax);
    }
    return text;
}

std::string dataReference(FbDoLeaf leaf) {
    std::string reference;
    FbDo_GetDataReference(leaf, &reference);
    return bounded(reference);
}

[[noreturn]] void throwAliasFailure(uint32_t line, const char* message, const std::string& name) {
    throw std::runtime_error(std::string(kBindingSourcePath) + ":" + std::to_string(line) + " " +
                             message + name);
}

void lookUpLimitObjects() {
    for (const LimitLookup& lookup : kLimitLookups) {
        calcBlock.limitObjects[lookup.slot] =
            FbDo_LookupAlias(nullptr, lookup.attribute, lookup.path);
    }
}

}  // namespace

void AddVarChild(NodeVarTable& table, const std::string& name, FbDoAlias var, uint32_t index) {
    checkNotNull(var, "var");
    const uint32_t* handle = FbDo_AliasHandle(var, index);
    if (handle == nullptr || *handle == 0) {
        CALORANT_TRACE(kTraceElementHandleZero, TraceFormat(kTraceArgText), name.c_str());
        return;
    }
    nameTableInsert(table, name, *handle);
}

void ResolveAlias(NodeVarTable& table, const char* attribute, const std::string& name,
                  const char* path, FbDoAlias* slot, FbDoNode node) {
    if (node == nullptr) {
        throwAliasFailure(kNoNodeLine, "no param node (NULL) for alias", name);
    }
    if (FbDo_NodeKind(node) != kFbDoImport) {
        const uint32_t handle = FbDo_NodeHandle(node);
        CALORANT_TRACE(kTracePlainNodeBound, TraceFormat(kTraceArgText, kTraceArgInt), name.c_str(),
                       handle);
        nameTableInsert(table, name, handle);
        return;
    }
    const FbDoLeaf leaf = FbDo_FindLeaf(node, kFbDoLeafDataReference);
    if (leaf == nullptr) {
        throwAliasFailure(kNoLeafLine, "import node has no Dr Leaf for alias", name);
    }
    const uint32_t target = FbDo_DataReferenceTarget(leaf);
    if (Tarvo_TraceEnabled(TraceSelector(), kTraceImportFound)) {
        Tarvo_Trace(TraceSelector(), kTraceImportFound, TraceFormat(kTraceArgText, kTraceArgText),
                    name.c_str(), dataReference(leaf).c_str());
    }
    if (target == 0) {
        CALORANT_TRACE(kTraceImportWithoutSource, TraceFormat(kTraceArgText), name.c_str());
        return;
    }
    const std::string reference = dataReference(leaf);
    if (reference.find(kPreprocessingLineMark) == std::string::npos) {
        CALORANT_TRACE(kTraceSourceNotALine, TraceFormat(kTraceArgText, kTraceArgText),
                       reference.c_str(), name.c_str());
        return;
    }
    CALORANT_TRACE(kTraceBeforeLookup,
                   TraceFormat(kTraceArgInt, kTraceArgText, kTraceArgText, kTraceArgText), target,
                   reference.c_str(), attribute, path);
    *slot = FbDo_LookupAlias(nullptr, attribute, path);
    if (FbDo_AliasValid(*slot, 0) == 0) {
        CALORANT_TRACE(kTraceAliasNotValid,
                       TraceFormat(kTraceArgText, kTraceArgText, kTraceArgText), attribute,
                       reference.c_str(), name.c_str());
        return;
    }
    if (Tarvo_TraceEnabled(TraceSelector(), kTraceAliasBound)) {
        std::string aliasText;
        FbDo_AliasText(*slot, &aliasText, 0);
        Tarvo_Trace(TraceSelector(), kTraceAliasBound,
                    TraceFormat(kTraceArgText, kTraceArgText, kTraceArgText, kTraceArgText),
                    name.c_str(), reference.c_str(), path, bounded(aliasText).c_str());
    }
    AddVarChild(table, name, *slot, 0);
}

int BindLayout(const LayoutBindingPlan& plan) {
    CALORANT_TRACE(plan.entryTrace, TraceFormat());
    if (ProgramContext::tree.Load() == nullptr) {
        CALORANT_TRACE(plan.noTreeTrace, TraceFormat());
        return 1;
    }
    lookUpLimitObjects();
    try {
        const Taste* taste = ProgramContext::myTaste.Load();
        FbDoNode root =
            checkNotNull(taste != nullptr ? (taste->*plan.root)() : nullptr, plan.rootText);
        NodeVarTable table(FbDo_NodeHandle(taste->getVar()));
        plan.bindRows(table, root);
        nameTableCommit(table);
        return 0;
    } catch (const std::exception& failure) {
        CALORANT_TRACE(plan.failedTrace, TraceFormat(kTraceArgText), failure.what());
        return 1;
    }
}

FbDoNode CheckedGroup(FbDoNode root, uint32_t index, const char* text) {
    return checkNotNull(FbDo_GetChild(root, index), text);
}

void BindNodeVariable(NodeVarTable& table, FbDoNode group, const char* name, uint32_t child) {
    FbDoNode node =
        checkNotNull(FbDo_GetChild(group, child), std::string("nodeVar.get") + name + "()");
    nameTableInsert(table, name, FbDo_NodeHandle(node));
}

void BindNode(NodeVarTable& table, const char* name, FbDoNode node) {
    if (node == nullptr) {
        CALORANT_TRACE(kTraceUncheckedNodeMissing, TraceFormat(kTraceArgText), name);
        return;
    }
    nameTableInsert(table, name, FbDo_NodeHandle(node));
}

void BindLimitNames(NodeVarTable& table) {
    for (uint32_t slot = 0; slot < kLimitObjectCount; ++slot) {
        AddVarChild(table, kLimitNames[slot], calcBlock.limitObjects[slot], 0);
    }
}

FbDoNode ChildPath(FbDoNode root, uint32_t a, int32_t b, int32_t c) {
    FbDoNode node = FbDo_GetChild(root, a);
    if (node != nullptr && b >= 0) {
        node = FbDo_GetChild(node, static_cast<uint32_t>(b));
    }
    if (node != nullptr && c >= 0) {
        node = FbDo_GetChild(node, static_cast<uint32_t>(c));
    }
    return node;
}
