#include "ProgramContext.h"

SharedPointer<Taste> ProgramContext::myTaste = {nullptr};
SharedPointer<FbDoTree> ProgramContext::tree = {nullptr};
SharedCounter ProgramContext::treeChanges = {0};
SharedCounter ProgramContext::treeChangesHandled = {0};
AsInfo* ProgramContext::pAsInfo = nullptr;
bool ProgramContext::preprocessingReady = false;

void ProgramContext::Clear() {
    myTaste.Store(nullptr);
    tree.Store(nullptr);
    treeChanges.Store(0);
    treeChangesHandled.Store(0);
    pAsInfo = nullptr;
    preprocessingReady = false;
}
