// One DoPreprocessing pass over a tree of 8 group nodes with 4 lines of 6 connected levels each,
// and proof that the steady-state pass makes no heap allocation: every operator new of the
// process is counted, and a pass that allocates fails the benchmark.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "AllocationCounter.h"
#include "HostTree.h"
#include "ZUB_Preprocessing.h"

namespace {

using nlohmann::json;

constexpr int kGroups = 8;
constexpr int kLinesPerGroup = 4;
constexpr int kLevels = 6;

json valueNode(const std::string& name, const char* kind, int index) {
    return {{"name", name}, {"kind", kind}, {"index", index}};
}

std::string sourceName(int group, int line, int level) {
    return "S" + std::to_string(group) + "_" + std::to_string(line) + "_" + std::to_string(level);
}

// A line node: limits and warning limits set, six levels fed by "Src.S<g>_<l>_<level>".
json lineNode(int group, int line) {
    json children = json::array({valueNode("Name", "text", 0)});
    children[0]["value"] = "Line " + std::to_string(line);
    const char* limits[] = {"LoLim", "HiLim", "LoWarnLim", "HiWarnLim", "Hyst"};
    const double limitValues[] = {0.0, 100.0, 10.0, 90.0, 1.0};
    for (int i = 0; i < 5; ++i) {
        json limit = valueNode(limits[i], "double", 3 + i);
        limit["value"] = limitValues[i];
        children.push_back(limit);
    }
    for (int level = 1; level <= kLevels; ++level) {
        json import = valueNode("Lev" + std::to_string(level), "import", 7 + level);
        import["source"] = "Src." + sourceName(group, line, level);
        children.push_back(import);
    }
    json substitute = valueNode("Subst", "double", 14);
    substitute["value"] = 50.0;
    children.push_back(substitute);
    children.push_back(valueNode("SubstMode", "integer", 15));
    children.push_back(valueNode("Out", "double", 16));
    return {{"name", "Line_" + std::to_string(line)}, {"number", line}, {"children", children}};
}

json groupNode(int group) {
    json lines = json::array();
    for (int line = 1; line <= kLinesPerGroup; ++line) {
        lines.push_back(lineNode(group, line));
    }
    json children = json::array({valueNode("Name", "text", 0), valueNode("Policy", "integer", 1),
                                 valueNode("Selector", "word", 2)});
    children[0]["value"] = "Group " + std::to_string(group);
    children[1]["value"] = 2;
    children[2]["inUse"] = false;
    children.push_back({{"name", "Lines"}, {"index", 3}, {"children", lines}});
    children.push_back(valueNode("Level", "integer", 4));
    for (int level = 1; level <= kLevels; ++level) {
        children.push_back(valueNode("ALev" + std::to_string(level), "bool", 4 + level));
        children.push_back(valueNode("WLev" + std::to_string(level), "bool", 10 + level));
    }
    children.push_back(valueNode("SubstUsed", "bool", 17));
    return {{"name", "Grp_" + std::to_string(group)}, {"number", group}, {"children", children}};
}

// Level 1 of every second line fails, level 2 passes a warning limit in every line, so the
// groups choose level 2 and publish alarm and warning rows.
json sources() {
    json nodes = json::array();
    for (int group = 1; group <= kGroups; ++group) {
        for (int line = 1; line <= kLinesPerGroup; ++line) {
            for (int level = 1; level <= kLevels; ++level) {
                json source = {{"name", sourceName(group, line, level)}, {"kind", "double"}};
                source["value"] = level == 2 ? 95.0 : 20.0 + level;
                source["status"] = (level == 1 && line % 2 == 0) ? 0x400 : 0;
                nodes.push_back(source);
            }
        }
    }
    return nodes;
}

std::string benchModel() {
    json groups = json::array();
    for (int group = 1; group <= kGroups; ++group) {
        groups.push_back(groupNode(group));
    }
    json root = {
        {"children", json::array({{{"index", 4}, {"name", "PPGrp"}, {"children", groups}},
                                  {{"index", 9}, {"name", "Src"}, {"children", sources()}}})}};
    return json{{"name", "PPBench"}, {"root", root}}.dump();
}

void BM_DoPreprocessingPass(benchmark::State& state) {
    std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(benchModel());
    if (CreatePreprocessing(tree->tree(), -1, 4) != 0 ||
        GetNumberOfPPLines(tree->tree()) != kGroups * kLinesPerGroup) {
        state.SkipWithError("preprocessing not created");
        return;
    }
    RefreshPreprocessing(nullptr, tree->tree());
    DoPreprocessing(nullptr, tree->tree());
    if (tree->integerValue("PPGrp.Grp_8.Level") != 2 || !tree->boolValue("PPGrp.Grp_8.WLev2")) {
        state.SkipWithError("the groups did not choose level 2 with a warning");
        return;
    }
    const AllocationGuard allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DoPreprocessing(nullptr, tree->tree()));
    }
    allocations.finish(state);
}
BENCHMARK(BM_DoPreprocessingPass);

}  // namespace
