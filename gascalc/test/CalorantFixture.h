// The gas calculation program's hooks driven directly on the host framework: a registered
// address-space block, the tree made from one layout's model (optionally edited), the taste
// named by the host, and a capture of every trace point.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CalcBlock.h"
#include "CalorantProgram.h"
#include "HostFramework.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"
#include "Tarvo.h"
#include "Taste.h"

namespace calorant_test {

// The model file of a taste name ("ZM1", "BM1", anything else: Default).
inline std::string modelFileOf(const std::string& taste) {
    const std::string dir = CALORANT_MODEL_DIR;
    if (taste == "ZM1" || taste == "BM1") {
        return dir + "/Calorant" + taste + ".json";
    }
    return dir + "/CalorantDefault.json";
}

inline nlohmann::json loadModel(const std::string& taste) {
    std::ifstream file(modelFileOf(taste));
    return nlohmann::json::parse(file);
}

// The node of a model at the child indices `path` from the root (children without "index" take
// the one after their predecessor). Throws std::out_of_range when there is none.
inline nlohmann::json& modelNode(nlohmann::json& model, const std::vector<int>& path) {
    nlohmann::json* node = &model["root"];
    for (int index : path) {
        nlohmann::json* found = nullptr;
        int next = 0;
        for (nlohmann::json& child : (*node)["children"]) {
            const int own = child.value("index", next);
            if (own == index) {
                found = &child;
                break;
            }
            next = own + 1;
        }
        if (found == nullptr) {
            throw std::out_of_range("no model node at index " + std::to_string(index));
        }
        node = found;
    }
    return *node;
}

// Removes the child `index` of the model node at `parent`.
inline void removeModelNode(nlohmann::json& model, const std::vector<int>& parent, int index) {
    nlohmann::json& children = modelNode(model, parent)["children"];
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].value("index", -1) == index) {
            children.erase(i);
            return;
        }
    }
    throw std::out_of_range("no model node to remove at index " + std::to_string(index));
}

using ModelEdit = std::function<void(nlohmann::json&)>;

class CalorantFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetFramework();
        host::resetTraceSettings();
        host::setTraceLevel(15);
        ForgetCalorantRun();
        ASSERT_EQ(Sysmanlib_AsInfo_Register(asInfo.get()), 0);
    }

    void TearDown() override {
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        host::setTreeModelJson("");
        host::resetFramework();
        host::resetTraceSettings();
    }

    // Configures the model of `taste` (edited by `edit`), names the taste and runs the FbDO hook.
    int startLayout(const std::string& taste, const ModelEdit& edit = {}) {
        nlohmann::json model = loadModel(taste);
        if (edit) {
            edit(model);
        }
        host::setTreeModelJson(model.dump());
        host::setTasteName(taste);
        return OnFbDO(asInfo.get());
    }

    // FbDO and set-up hooks; the set-up hook's result.
    int bindLayout(const std::string& taste, const ModelEdit& edit = {}) {
        const int started = startLayout(taste, edit);
        EXPECT_EQ(started, 0);
        return OnTasteSetup(asInfo.get());
    }

    host::HostTree& tree() { return *host::addressSpaceTree(); }
    FbDoNode node(const std::string& path) { return tree().at(path); }
    std::map<std::string, uint32_t> committed() { return tree().committedNames(); }

    std::unique_ptr<AsInfo> asInfo = std::make_unique<AsInfo>();
    host::TraceCapture traces;
};

}  // namespace calorant_test
