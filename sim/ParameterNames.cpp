#include "ParameterNames.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "FbDo.h"

namespace sim {
namespace {

// The names of `node` and the nodes below it (only those holding a number: `numbersOnly`).
void collectNames(FbDoNode node, bool numbersOnly, std::vector<std::string>& names) {
    const bool wanted =
        !numbersOnly || (FbDo_IsStructureNode(node) == 0 && FbDo_NodeKind(node) != kFbDoText);
    const std::string name = wanted ? nameOf(node) : "";
    if (!name.empty()) {
        names.push_back(name);
    }
    for (FbDoNode child = FbDo_FirstChild(node); child != nullptr;
         child = FbDo_NextSibling(child)) {
        collectNames(child, numbersOnly, names);
    }
    for (uint32_t alternative = 0; alternative < 2; ++alternative) {
        if (FbDoNode chosen = FbDo_GetChoiceNode(node, alternative)) {
            collectNames(chosen, numbersOnly, names);
        }
    }
}

std::string lowered(const std::string& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string lastComponent(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Insertions, deletions and replacements that make `a` into `b`.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] =
                std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The edit distance of `a` and `b` when it is at most `reach`, else some number above `reach`:
// two texts whose lengths differ by more are not compared.
size_t boundedDistance(const std::string& a, const std::string& b, size_t reach) {
    const size_t lengthDifference = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    return lengthDifference > reach ? reach + 1 : editDistance(a, b);
}

}  // namespace

std::string nameOf(FbDoNode node) {
    std::string name;
    if (node == nullptr || FbDo_ParameterName(node, &name, nullptr) != 0) {
        return "";
    }
    return name;
}

std::vector<std::string> parameterNames(const host::HostTree& tree) {
    std::vector<std::string> names;
    collectNames(tree.root(), false, names);
    return names;
}

std::vector<std::string> numberNames(FbDoNode node) {
    std::vector<std::string> names;
    collectNames(node, true, names);
    return names;
}

std::string someNames(const std::vector<std::string>& names, size_t most) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < most; ++i) {
        text += (i > 0 ? ", " : "") + names[i];
    }
    if (names.size() > most) {
        text += " and " + std::to_string(names.size() - most) + " more";
    }
    return text;
}

std::vector<std::string> nearestNames(const std::string& wanted,
                                      const std::vector<std::string>& names, size_t most) {
    const std::string whole = lowered(wanted);
    const std::string last = lastComponent(whole);
    // A typo or two: a quarter of the name (at least 1), a third of its last component.
    const size_t wholeReach = std::max<size_t>(1, whole.size() / 4);
    const size_t lastReach = last.size() / 3;
    // (group, distance, distance of the whole names, name): group 0 for a name that ends in
    // `wanted`, 1 for a near one.
    std::vector<std::tuple<int, size_t, size_t, std::string>> near;
    const std::string dottedWhole = "." + whole;
    for (const std::string& name : names) {
        const std::string candidate = lowered(name);
        if (endsWith(candidate, dottedWhole)) {
            const size_t distance = candidate.size() - whole.size();  // a removed head
            near.emplace_back(0, distance, distance, name);
            continue;
        }
        const size_t distance = boundedDistance(whole, candidate, wholeReach);
        const size_t lastDistance = boundedDistance(last, lastComponent(candidate), lastReach);
        if (distance <= wholeReach || lastDistance <= lastReach) {
            near.emplace_back(1, std::min(distance, lastDistance), distance, name);
        }
    }
    std::sort(near.begin(), near.end());
    // The best group only; of the near ones, only the nearest.
    std::vector<std::string> result;
    for (size_t i = 0; i < near.size() && result.size() < most; ++i) {
        const bool sameGroup = std::get<0>(near[i]) == std::get<0>(near.front());
        const bool asNear =
            std::get<0>(near[i]) == 0 || std::get<1>(near[i]) == std::get<1>(near.front());
        if (!sameGroup || !asNear) {
            break;
        }
        result.push_back(std::get<3>(near[i]));
    }
    return result;
}

std::string didYouMean(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "";
    }
    std::string text = "; did you mean " + names.front();
    for (size_t i = 1; i < names.size(); ++i) {
        text += (i + 1 == names.size() ? " or " : ", ") + names[i];
    }
    return text + "?";
}

}  // namespace sim
