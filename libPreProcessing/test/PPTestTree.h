// A parameter tree loaded from one of the preprocessing fixtures (test/data), with the calls the
// tests make on it: create, refresh and cycle the preprocessing, set the source values behind
// the levels and read back what the lines and groups wrote.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FbDo.h"
#include "HostTree.h"
#include "Preprocessing.h"

namespace pptest {

// Root children of the fixtures: PP nodes below 3 and group nodes below 4 (Calorant-Prog), one
// group node at 3 (Vesk-Prog); the level sources below 9.
constexpr int32_t kPPRoot = 3;
constexpr uint32_t kGroupRoot = 4;

class PPTestTree {
  public:
    // Loads test/data/<fixture>; throws when the model cannot be loaded.
    explicit PPTestTree(const std::string& fixture);

    host::HostTree& host() { return *tree_; }
    FbDoTree* tree() { return tree_->tree(); }

    // CreatePreprocessing with these arguments, then one RefreshPreprocessing when it succeeded.
    int createAndRefresh(int32_t first, uint32_t second);
    int refresh();
    // One DoPreprocessing pass; its result.
    int pass();

    // The object in the tree's preprocessing slot (null before a successful create).
    const Preprocessing* object() const;
    const PreProcessing::PPGroup& group(uint32_t index) const { return object()->group(index); }

    // Sets the value and status of the source node `path` (in use).
    void setSource(const std::string& path, double value, uint32_t status = 0);
    // Sets a double parameter and puts it in use.
    void setParameter(const std::string& path, double value);
    void setInteger(const std::string& path, int32_t value);

    // What a line / group wrote.
    double value(const std::string& path) const { return tree_->doubleValue(path); }
    uint32_t status(const std::string& path) const { return tree_->status(path); }
    int32_t integer(const std::string& path) const { return tree_->integerValue(path); }
    bool flag(const std::string& path) const { return tree_->boolValue(path); }

    // Bit i-1 set when the bool outputs "<prefix>1" .. "<prefix>6" of `node` hold true / carry
    // OOU, for example rowMask("PP.PP_1", "ALev").
    uint32_t rowMask(const std::string& node, const std::string& prefix) const;
    uint32_t rowNotInUseMask(const std::string& node, const std::string& prefix) const;

  private:
    std::unique_ptr<host::HostTree> tree_;
};

// The LOP field of a status word.
uint32_t lop(uint32_t status);

}  // namespace pptest
