// Cached configuration parameters: each Parameter holds the value of one tree node, re-read
// only when the registry reports a tree change, so that the cycle never reads limits, delays
// and counts from the tree.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "UpdatableRegistry.h"
#include "Vesk_AccessClasses.h"

// What the registry can refresh.
class Updatable {
  public:
    virtual ~Updatable() = default;
    // Re-reads the cached value.
    virtual void update() = 0;

  protected:
    Updatable() = default;
    Updatable(const Updatable&) = default;
    Updatable& operator=(const Updatable&) = default;
};

namespace parameter_detail {

// The framework read of a parameter node of each data-object class.
inline uint32_t readNode(FbDoNode node, uint32_t defaultValue, DOC_Uint_32_P) {
    return FbDo_ReadUint32(node, defaultValue, nullptr, 0);
}
inline double readNode(FbDoNode node, double defaultValue, DOC_Double_64_P) {
    return FbDo_ReadDouble(node, defaultValue, nullptr, 0);
}

// The handle type of a parameter node of each data-object class.
inline UnsignedParameterNode nodeType(DOC_Uint_32_P);
inline DoubleParameterNode nodeType(DOC_Double_64_P);

}  // namespace parameter_detail

// The cached value of one parameter node (never null) with a default used while the node is
// not in use. `value` and `valid` are read directly by the measurement code on the initial
// task; every live object (copies included) is a member of the registry.
template <typename DataObjectClass, typename Value>
class Parameter : public Updatable {
  public:
    using Node = decltype(parameter_detail::nodeType(DataObjectClass()));

    // Starts with the node's current value (valid) or the default (not valid).
    Parameter(Node node, Value defaultValue)
        : myNode(node), myDefault(defaultValue), value(defaultValue) {
        update();
        UpdatableRegistry::instance().add(this);
    }
    // Copies the cached value and flag without reading the node, and registers the copy.
    Parameter(const Parameter& other)
        : Updatable(other),
          myNode(other.myNode),
          myDefault(other.myDefault),
          value(other.value),
          valid(other.valid) {
        UpdatableRegistry::instance().add(this);
    }
    Parameter& operator=(const Parameter&) = delete;
    ~Parameter() override { UpdatableRegistry::instance().remove(this); }

    // valid := node in use; value := the node's value, or the default when not in use.
    void update() override {
        if (FbDo_IsInUse(myNode) != 0) {
            valid = true;
            value = parameter_detail::readNode(myNode, myDefault, DataObjectClass());
        } else {
            valid = false;
            value = myDefault;
        }
    }

  private:
    FbDoNode myNode;
    Value myDefault;

  public:
    Value value;         // the cached value
    bool valid = false;  // value came from the node at the last update
};

using UnsignedParameter = Parameter<DOC_Uint_32_P, unsigned int>;
using DoubleParameter = Parameter<DOC_Double_64_P, double>;
