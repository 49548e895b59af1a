// Trace points of the gas property methods: they carry the program's trace selector.
#pragma once

#include "TarvoTrace.h"

// Emits trace point `id` with the arguments that `format` describes, when it is enabled.
template <typename... Args>
inline void GasTrace(uint32_t id, uint32_t format, Args... args) {
    const uint32_t selector = Tarvo_GetTraceSelector();
    if (Tarvo_TraceEnabled(selector, id) != 0) {
        Tarvo_Trace(selector, id, format, args...);
    }
}
