// Counts the calls of the global operator new made by the calling thread, to prove that one
// task's part of a round trip makes no heap allocation while other tasks may.
#pragma once

#include <cstdint>

// operator new calls of the calling thread since it started.
uint64_t allocationsOfThisThread();
