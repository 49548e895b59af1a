#include "StepQueue.h"

#include <cstdint>
#include <vector>

#include "ScenarioFields.h"

namespace sim {
namespace {

// A record of the store: the length (4 bytes, little-endian), then the step's object as CBOR.
constexpr size_t kLengthBytes = 4;

void writeRecord(std::ofstream& store, const std::vector<uint8_t>& bytes) {
    char length[kLengthBytes];
    for (size_t i = 0; i < kLengthBytes; ++i) {
        length[i] = static_cast<char>(bytes.size() >> (8 * i));
    }
    store.write(length, kLengthBytes);
    store.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
}

bool readRecord(std::ifstream& store, std::vector<uint8_t>* bytes) {
    unsigned char length[kLengthBytes];
    if (!store.read(reinterpret_cast<char*>(length), kLengthBytes)) {
        return false;
    }
    size_t size = 0;
    for (size_t i = 0; i < kLengthBytes; ++i) {
        size |= static_cast<size_t>(length[i]) << (8 * i);
    }
    bytes->resize(size);
    return static_cast<bool>(
        store.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size)));
}

}  // namespace

StepQueue::StepQueue(const Scenario& scenario, const std::string& storeFile,
                     const std::function<void(const Step&)>& check)
    : myScenario(scenario) {
    if (scenario.stepsFile.empty()) {
        for (const Step& step : scenario.steps) {
            check(step);
        }
        return;
    }
    {
        std::ofstream store(storeFile, std::ios::binary | std::ios::trunc);
        streamSteps(scenario, [&](const Step& step, const nlohmann::json& object) {
            check(step);
            writeRecord(store, nlohmann::json::to_cbor(object));
        });
        if (!store.flush()) {
            throw ScenarioError(scenario.file + ": cannot keep the steps in " +
                                sim::quoted(storeFile));
        }
    }
    myStore.open(storeFile, std::ios::binary);
    myParser = std::make_unique<StepParser>(scenario);
}

const Step* StepQueue::next() {
    if (!myParser) {
        return myIndex < myScenario.steps.size() ? &myScenario.steps[myIndex] : nullptr;
    }
    if (!myCurrent && !readStored()) {
        return nullptr;
    }
    return &*myCurrent;
}

void StepQueue::pop() {
    ++myIndex;
    myCurrent.reset();
}

bool StepQueue::readStored() {
    if (myIndex >= myScenario.stepCount || !readRecord(myStore, &myRecord)) {
        return false;
    }
    myCurrent = myParser->parse(nlohmann::json::from_cbor(myRecord));
    return true;
}

}  // namespace sim
