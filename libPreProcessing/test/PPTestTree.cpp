#include "PPTestTree.h"

#include "PPStatus.h"
#include "ZUB_Preprocessing.h"

namespace pptest {

PPTestTree::PPTestTree(const std::string& fixture)
    : tree_(host::HostTree::fromFile(std::string(PP_TEST_DATA_DIR) + "/" + fixture)) {}

int PPTestTree::createAndRefresh(int32_t first, uint32_t second) {
    const int result = CreatePreprocessing(tree(), first, second);
    if (result == 0) {
        refresh();
    }
    return result;
}

int PPTestTree::refresh() {
    return RefreshPreprocessing(nullptr, tree());
}

int PPTestTree::pass() {
    return DoPreprocessing(nullptr, tree());
}

const Preprocessing* PPTestTree::object() const {
    return static_cast<const Preprocessing*>(tree_->tree()->GetPreprocessing());
}

void PPTestTree::setSource(const std::string& path, double value, uint32_t status) {
    tree_->setInUse(path, true);
    tree_->setDouble(path, value);
    tree_->setStatus(path, status);
}

void PPTestTree::setParameter(const std::string& path, double value) {
    tree_->setInUse(path, true);
    tree_->setDouble(path, value);
}

void PPTestTree::setInteger(const std::string& path, int32_t value) {
    tree_->setInUse(path, true);
    tree_->setInteger(path, value);
}

uint32_t PPTestTree::rowMask(const std::string& node, const std::string& prefix) const {
    uint32_t mask = 0;
    for (uint32_t level = 1; level <= 6; ++level) {
        if (tree_->boolValue(node + "." + prefix + std::to_string(level))) {
            mask |= 1u << (level - 1);
        }
    }
    return mask;
}

uint32_t PPTestTree::rowNotInUseMask(const std::string& node, const std::string& prefix) const {
    uint32_t mask = 0;
    for (uint32_t level = 1; level <= 6; ++level) {
        if ((tree_->status(node + "." + prefix + std::to_string(level)) &
             PreProcessing::kStatusOOU) != 0) {
            mask |= 1u << (level - 1);
        }
    }
    return mask;
}

uint32_t lop(uint32_t status) {
    return PreProcessing::lopOf(status);
}

}  // namespace pptest
