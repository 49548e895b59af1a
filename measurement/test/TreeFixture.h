// A Vesk tree built from the program's tree model for each test, with helpers to set inputs
// and parameters, fire triggers and run measurement cycles with the six process flags.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsInfo.h"
#include "Average.h"
#include "FbDo.h"
#include "HostTree.h"
#include "MeasurementBase.h"
#include "Parameter.h"
#include "Tarvo.h"
#include "UpdatableRegistry.h"

// The six process flags of one cycle.
using Flags = ProcessFlags;

class TreeFixture : public ::testing::Test {
  protected:
    TreeFixture() : tree(host::HostTree::fromFile(VESK_MODEL_FILE)) {}

    // The address-space block of the test program, registered once (the framework's access
    // check and change callback need one).
    static AsInfo* addressSpace() {
        static AsInfo block{};
        if (Sysmanlib_AsInfo_GetCurrent() == nullptr) {
            Sysmanlib_AsInfo_Register(&block);
        }
        return &block;
    }

    FbDoNode node(const std::string& path) const { return tree->at(path); }

  public:
    // The program's tree model without the node `name` (a leaf or a subtree) below the node
    // named by the last part of the dotted `parent` path ("General", "Oxygen.SNo2"; "" for the
    // root): the way tests build a tree that lacks a node.
    static std::unique_ptr<host::HostTree> treeWithout(const std::string& parent,
                                                       const std::string& name) {
        return host::HostTree::fromJson(modelWithout(parent, name));
    }

    // The text of that model. The model holds each leaf on a line of its own and closes each
    // subtree's children on a line starting with "]".
    static std::string modelWithout(const std::string& parent, const std::string& name) {
        std::ifstream file(VESK_MODEL_FILE);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        const std::string owner = parent.substr(parent.rfind('.') + 1);
        size_t at = 0;
        while (!owner.empty() && at < lines.size() && !hasName(lines[at], owner)) {
            ++at;
        }
        while (at < lines.size() && !hasName(lines[at], name)) {
            ++at;
        }
        if (at == lines.size()) {
            throw std::invalid_argument("no node " + name + " below " + parent);
        }
        // A subtree spans the lines up to the one that closes its children.
        size_t last = at;
        for (int depth = 0;; ++last) {
            depth += lines[last].back() == '[' ? 1 : 0;
            depth -= lines[last].find_first_not_of(' ') == lines[last].find(']') ? 1 : 0;
            if (depth == 0) {
                break;
            }
        }
        if (lines[last].back() != ',' && at > 0 && lines[at - 1].back() == ',') {
            lines[at - 1].pop_back();  // the removed node was the last child
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        return text;
    }

  protected:
    void setInput(const std::string& path, double value, uint32_t status = 0) {
        tree->setDouble(path, value);
        tree->setStatus(path, status);
    }

    // The periods whose trigger node was set since the last call, as the application object
    // reads them once a cycle (a trigger that stays set ends its period once).
    PeriodEnds periodEnds() {
        const bool hourSet = tree->boolValue("General.TrigAvg_Hour");
        const bool daySet = tree->boolValue("General.TrigAvg_Day");
        const PeriodEnds ends{hourSet && !myHourTriggerSeen, daySet && !myDayTriggerSeen};
        myHourTriggerSeen = hourSet;
        myDayTriggerSeen = daySet;
        return ends;
    }

    // Runs one cycle of `host` with cleared flags on this cycle's period ends, then publishes
    // the periods it closed, and returns the flags.
    Flags cycle(MeasurementBase& host) {
        Flags f;
        f.process(host, periodEnds());
        host.publishClosedPeriods();
        return f;
    }

    // Runs one cycle in which the trigger at `path` fires (set before, cleared after).
    Flags cycleWithTrigger(host::HostTree& t, MeasurementBase& host, const std::string& path) {
        t.setBool(path, true);
        Flags f = cycle(host);
        t.setBool(path, false);
        return f;
    }
    Flags cycleEndingHour(MeasurementBase& host) {
        return cycleWithTrigger(*tree, host, "General.TrigAvg_Hour");
    }
    Flags cycleEndingDay(MeasurementBase& host) {
        return cycleWithTrigger(*tree, host, "General.TrigAvg_Day");
    }

    // The nodes of the average of `quantity` in the group node `group` ("Sulfur", "DPs",
    // "Oxygen.SNo1"): the General node's flow inputs and the four mean outputs.
    AverageNodes averageNodes(const std::string& group, const std::string& quantity) const {
        const std::string prefix = group + ".";
        return AverageNodes{node("General.Imp_Qn"),           node("General.Imp_zeroQn"),
                            node(prefix + "ChA_" + quantity), node(prefix + "CdA_" + quantity),
                            node(prefix + "LhA_" + quantity), node(prefix + "LdA_" + quantity)};
    }

    UnsignedParameter unsignedParameter(const std::string& path) const {
        return UnsignedParameter(node(path), 0);
    }
    DoubleParameter doubleParameter(const std::string& path) const {
        return DoubleParameter(node(path), 0.0);
    }

    std::unique_ptr<host::HostTree> tree;

  private:
    bool myHourTriggerSeen = false;
    bool myDayTriggerSeen = false;

    static bool hasName(const std::string& line, const std::string& name) {
        return line.find("\"name\": \"" + name + "\"") != std::string::npos;
    }
};
