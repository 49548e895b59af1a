#include <memory>

#include "Aga8Detail1994.h"
#include "TestGases.h"

void InitPropertyTablesForTest() {
    static const std::unique_ptr<Aga8Detail1994Data> data = std::make_unique<Aga8Detail1994Data>();
    InitPropertyTables(*data);
}
