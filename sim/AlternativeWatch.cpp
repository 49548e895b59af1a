#include "AlternativeWatch.h"

#include "FbDo.h"
#include "ParameterNames.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// The alternative in the low 15 bits of a choice's selection word.
constexpr uint32_t kSelectionMask = 0x7fff;

// " at the cycle of step N: ", as a warning names its cycle.
std::string atCycle(size_t cycleStep) {
    return " at the cycle of step " + std::to_string(cycleStep) + ": ";
}

}  // namespace

std::string unselectedAlternative(const host::HostTree& tree, const std::string& path) {
    size_t dot = path.find('.');
    if (dot == std::string::npos) {
        return "";
    }
    // Each prefix of `path` ending before a dot, then the node one component further.
    FbDoNode node = tree.find(path.substr(0, dot));
    while (dot != std::string::npos) {
        const size_t next = path.find('.', dot + 1);
        const FbDoNode below = tree.find(path.substr(0, next));
        if (FbDo_NodeKind(node) == kFbDoChoice) {
            const FbDoNode selected =
                FbDo_GetChoiceNode(node, FbDo_SelectedChoice(node) & kSelectionMask);
            if (below != nullptr && below != selected) {
                return sim::quoted(nameOf(below)) + ", an alternative the choice " +
                       sim::quoted(nameOf(node)) + " does not select (it selects " +
                       (selected != nullptr ? sim::quoted(nameOf(selected)) : "none") + ")";
            }
        }
        node = below;
        dot = next;
    }
    return "";
}

void AlternativeWatch::watch(size_t step, const std::string& path) {
    for (Setting& setting : mySettings) {
        if (setting.path == path) {
            setting.step = step;
            return;
        }
    }
    mySettings.push_back(Setting{step, path});
}

void AlternativeWatch::afterCycle(size_t cycleStep, const host::HostTree& tree,
                                  RunWarnings& warnings) {
    for (const std::string& path : myOutputs) {
        const std::string where = unselectedAlternative(tree, path);
        if (where.empty()) {
            continue;
        }
        const std::string key = "unselected output " + path;
        if (!warnings.countAgain(key, cycleStep)) {
            warnings.add(key, cycleStep,
                         "output " + sim::quoted(path) + atCycle(cycleStep) + "it lies in " +
                             where + "; the program does not write it");
        }
    }
    for (const Setting& setting : mySettings) {
        const std::string where = unselectedAlternative(tree, setting.path);
        if (where.empty()) {
            continue;
        }
        const std::string key = "unselected set " + setting.path;
        if (!warnings.countAgain(key, cycleStep)) {
            warnings.add(key, cycleStep,
                         "step " + std::to_string(setting.step) + ": set " +
                             sim::quoted(setting.path) + atCycle(cycleStep) + "it lies in " +
                             where + "; the program does not read it");
        }
    }
    mySettings.clear();
}

}  // namespace sim
