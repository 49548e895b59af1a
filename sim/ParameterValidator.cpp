#include "ParameterValidator.h"

#include <cmath>

#include "ParameterNames.h"
#include "ScenarioChecks.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

bool isWhole(double value, double min, double max) {
    return std::isfinite(value) && std::floor(value) == value && value >= min && value <= max;
}

// Whether a node of `kind` can hold `input`'s value.
bool valueFits(FbDoNodeKind kind, const InputSetting& input) {
    const double value = *input.value;
    switch (kind) {
        case kFbDoDouble:
            return !input.flagValue;
        case kFbDoImport:
            return true;
        case kFbDoBool:
        case kFbDoTrigger:
            return value == 0.0 || value == 1.0;
        case kFbDoInteger:
            return !input.flagValue && isWhole(value, -2147483648.0, 2147483647.0);
        case kFbDoUnsigned:
        case kFbDoWord:
            return !input.flagValue && isWhole(value, 0.0, 4294967295.0);
        default:
            return false;
    }
}

// The setting of `input` that a node of `kind` cannot take, as the scenario writes it; "" when
// it can take them all.
std::string unfitSetting(FbDoNodeKind kind, const InputSetting& input) {
    const bool valueKind = kind != kFbDoStructure && kind != kFbDoChoice;
    if (input.value && !valueFits(kind, input)) {
        return "\"value\": " + input.valueText;
    }
    if (input.text && kind != kFbDoText) {
        return "\"text\"";
    }
    if (input.choice && kind != kFbDoChoice) {
        return "\"choice\"";
    }
    if (input.status && !valueKind) {
        return "\"status\"";
    }
    return "";
}

// What a node of `kind` takes in a step's "set".
std::string settingsOfKind(FbDoNodeKind kind) {
    const std::string statusAndInUse = "\"status\" and \"inUse\"";
    switch (kind) {
        case kFbDoDouble:
            return "\"value\" (a number, \"NaN\", \"Infinity\" or \"-Infinity\"), " +
                   statusAndInUse;
        case kFbDoImport:
            return "\"value\" (a number), " + statusAndInUse;
        case kFbDoBool:
        case kFbDoTrigger:
            return "\"value\" (true, false, 0 or 1), " + statusAndInUse;
        case kFbDoInteger:
            return "\"value\" (a whole number from -2147483648 to 2147483647), " + statusAndInUse;
        case kFbDoUnsigned:
        case kFbDoWord:
            return "\"value\" (a whole number from 0 to 4294967295), " + statusAndInUse;
        case kFbDoText:
            return "\"text\", " + statusAndInUse;
        case kFbDoChoice:
            return "\"choice\" (0 or 1) and \"inUse\"";
        case kFbDoStructure:
            return "\"inUse\" only";
    }
    return "\"inUse\" only";
}

// The node whose value and status the connected import `node` of `tree` reads: the end of its
// chain of sources (an import without a source holds its own); null when `node` is no
// connected import.
FbDoNode dataSource(const host::HostTree& tree, FbDoNode node) {
    FbDoNode source = nullptr;
    for (uint32_t handle = FbDo_IsConnected(node); handle != 0; handle = FbDo_IsConnected(source)) {
        source = tree.byHandle(handle);  // the model loader refuses a loop of imports
    }
    return source;
}

}  // namespace

ParameterValidator::ParameterValidator(const Scenario& scenario, const host::HostTree& tree)
    : myScenario(scenario), myTree(tree) {}

void ParameterValidator::validate() const {
    for (const std::string& path : myScenario.outputs) {
        require(myScenario.file + ": \"outputs\"", path);
        requireNumber(myScenario.file + ": \"outputs\"", path);
    }
    const TestAddressSpaceOptions& test = myScenario.testProgram;
    if (test.useTree) {
        for (const std::string& path :
             {test.input, test.output, test.changeCounter, test.restoredOutput}) {
            if (!path.empty()) {
                require(myScenario.file + ": \"testProgram\"", path);
            }
        }
    }
}

void ParameterValidator::validateStep(const Step& step) const {
    const std::string place = myScenario.file + ": step " + std::to_string(step.number);
    for (const InputSetting& input : step.inputs) {
        validateSetting(place + ": set", input);
    }
    for (const Expectation& expectation : step.expectations) {
        require(place + ": expect", expectation.path);
    }
}

FbDoNode ParameterValidator::require(const std::string& place, const std::string& path) const {
    if (const FbDoNode node = myTree.find(path)) {
        return node;
    }
    if (!myNames) {
        myNames = parameterNames(myTree);
    }
    throw ScenarioError(place + " " + quoted(path) + ": no such parameter in the tree" +
                        didYouMean(nearestNames(path, *myNames)));
}

void ParameterValidator::requireNumber(const std::string& place, const std::string& path) const {
    const FbDoNodeKind kind = myTree.kind(path);
    if (kind == kFbDoText) {
        throw ScenarioError(place + " " + quoted(path) +
                            ": a text node; the cycle table records numbers");
    }
    if (kind == kFbDoStructure || kind == kFbDoChoice) {
        throw ScenarioError(place + " " + quoted(path) + ": a " + host::kindName(kind) +
                            " node, which holds no number; name its leaves: " +
                            someNames(numberNames(myTree.find(path))));
    }
}

void ParameterValidator::validateSetting(const std::string& place,
                                         const InputSetting& input) const {
    const FbDoNode node = require(place, input.path);
    const FbDoNodeKind kind = myTree.kind(node);
    const std::string unfit = unfitSetting(kind, input);
    if (!unfit.empty()) {
        throw ScenarioError(
            place + " " + quoted(input.path) + ": the parameter cannot take this setting (" +
            unfit + "): it is " +
            (kind == kFbDoInteger || kind == kFbDoImport || kind == kFbDoUnsigned ? "an " : "a ") +
            host::kindName(kind) + " node, which takes " + settingsOfKind(kind));
    }
    if (!input.value && !input.status) {
        return;
    }
    if (const FbDoNode source = dataSource(myTree, node)) {
        const std::string sourceName = nameOf(source);
        throw ScenarioError(place + " " + quoted(input.path) + ": an import that reads " +
                            sim::quoted(sourceName) +
                            ", so a \"value\" or \"status\" set on it never counts; set " +
                            sim::quoted(sourceName) + " instead");
    }
}

}  // namespace sim
