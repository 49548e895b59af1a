#include "TestGases.h"

void InitPropertyTablesForTest() {
    InitPropertyTables();
}
