#include "CalcBlock.h"

#include <cstring>

CalcBlock calcBlock;

void ClearCalcBlock() {
    std::memset(static_cast<void*>(&calcBlock), 0, sizeof(calcBlock));
}
