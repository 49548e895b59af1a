#include "AlternativeWatch.h"

#include "FbDo.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// The alternative in the low 15 bits of a choice's selection word.
constexpr uint32_t kSelectionMask = 0x7fff;

std::string nameOf(FbDoNode node) {
    std::string name;
    if (node == nullptr || FbDo_ParameterName(node, &name, nullptr) != 0) {
        return "";
    }
    return name;
}

}  // namespace

std::string unselectedAlternative(const host::HostTree& tree, const std::string& path) {
    for (size_t dot = path.find('.'); dot != std::string::npos;) {
        const FbDoNode choice = tree.find(path.substr(0, dot));
        const size_t next = path.find('.', dot + 1);
        if (FbDo_NodeKind(choice) == kFbDoChoice) {
            const FbDoNode alternative = tree.find(path.substr(0, next));
            const FbDoNode selected =
                FbDo_GetChoiceNode(choice, FbDo_SelectedChoice(choice) & kSelectionMask);
            if (alternative != nullptr && alternative != selected) {
                return sim::quoted(nameOf(alternative)) + ", an alternative the choice " +
                       sim::quoted(nameOf(choice)) + " does not select (it selects " +
                       (selected != nullptr ? sim::quoted(nameOf(selected)) : "none") + ")";
            }
        }
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
    const std::string atCycle = " at the cycle of step " + std::to_string(cycleStep) + ": ";
    for (const std::string& path : myOutputs) {
        const std::string where = unselectedAlternative(tree, path);
        if (!where.empty()) {
            warnings.add("unselected output " + path, cycleStep,
                         "output " + sim::quoted(path) + atCycle + "it lies in " + where +
                             "; the program does not write it");
        }
    }
    for (const Setting& setting : mySettings) {
        const std::string where = unselectedAlternative(tree, setting.path);
        if (!where.empty()) {
            warnings.add("unselected set " + setting.path, cycleStep,
                         "step " + std::to_string(setting.step) + ": set " +
                             sim::quoted(setting.path) + atCycle + "it lies in " + where +
                             "; the program does not read it");
        }
    }
    mySettings.clear();
}

}  // namespace sim
