// The layout's messages under its Events node, written every cycle from the status words of the
// inputs and results: limit, warning and failure messages of pressure, temperature and the
// imported values, the limit messages of the components, the conversion-factor failure and the
// calculation failure.
#pragma once

// The last step of the cycle. Writes nothing without a taste, for another layout kind or when
// the layout's Events node is missing (traced).
void WriteEventsStep();
