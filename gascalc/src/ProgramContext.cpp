#include "ProgramContext.h"

Taste* ProgramContext::myTaste = nullptr;
FbDoTree* ProgramContext::tree = nullptr;
SharedCounter ProgramContext::treeChanges = {0};
SharedCounter ProgramContext::treeChangesHandled = {0};
AsInfo* ProgramContext::pAsInfo = nullptr;
bool ProgramContext::preprocessingReady = false;

void ProgramContext::Clear() {
    myTaste = nullptr;
    tree = nullptr;
    treeChanges.Store(0);
    treeChangesHandled.Store(0);
    pAsInfo = nullptr;
    preprocessingReady = false;
}
