#include "CalorantProgram.h"

#include <cstdint>
#include <exception>

#include "CalcBlock.h"
#include "Kernel.h"
#include "PEG.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"
#include "Tarvo.h"
#include "TarvoFiles.h"
#include "Taste.h"
#include "libSysman.h"

namespace {

constexpr char kRelease[] = "Release_03-16-A";
constexpr char kSourcePath[] = "src/Calorant";
constexpr char kUnknownAddressSpace[] = "unknown AS";

const ComponentStartFunction kStartTable[] = {Tarvo_Component1Init,
                                              Tarvo_Component2Init,
                                              Tarvo_Component3Init,
                                              Tarvo_Component4Init,
                                              PEG_initComponent,
                                              Tarvo_Component6Init,
                                              nullptr};

void reportFatal(const char* text) {
    const char* name = Sysmanlib_AsInfo_GetCurrent() != nullptr ? Sysmanlib_AsInfo_GetName()
                                                                : kUnknownAddressSpace;
    Tarvo_FatalReport(name, text, kSourcePath);
}

}  // namespace

const ComponentStartFunction* CalorantStartTable() {
    return kStartTable;
}

void ForgetCalorantRun() {
    delete ProgramContext::myTaste.Load();
    delete calcBlock.aga8Calculator12;
    ClearCalcBlock();
    ProgramContext::Clear();
}

int CalorantProgramMain() {
    Tarvo_SetPhase("Calorant Main");
    // A run that ended in this process left its taste and calculator; every task of that run
    // has ended, so they go now.
    ForgetCalorantRun();
    try {
        // The code range ends in the marker word; without one no health monitor runs.
        const void* codeStart = nullptr;
        const void* codeEnd = nullptr;
        Tarvo_GetCodeRange(&codeStart, &codeEnd);
        SysManRegisterDefaultHooks(&CalorantHooks());
        SysManStartDefault(codeStart, codeEnd, kRelease, kStartTable, 0);
    } catch (const std::exception& failure) {
        reportFatal(failure.what());
    } catch (...) {
        if (TaskIsEnding() != 0) {
            throw;  // the address space is being ended: not a failure of the program
        }
        reportFatal("unknown");
    }
    return 0;
}
