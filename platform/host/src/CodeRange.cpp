// The program's code range: its executable segment, which ends in the platform's marker word.
#include <link.h>

#include <cstdint>

#include "Tarvo.h"

// The marker word, in a section of its own that the link option (CodeEnd.ld) puts after the
// last code section.
__asm__(
    ".pushsection .code_end_marker,\"ax\",%progbits\n"
    ".balign 4\n"
    ".globl tarvoCodeEndMarker\n"
    ".hidden tarvoCodeEndMarker\n"
    "tarvoCodeEndMarker:\n"
    ".long 0x600DBEEF\n"
    ".popsection\n");
extern "C" const uint32_t tarvoCodeEndMarker;

namespace {

struct CodeSegment {
    uintptr_t marker;
    uintptr_t start = 0;
    uintptr_t end = 0;
};

// Finds the loaded executable segment that holds the marker.
int findMarkerSegment(dl_phdr_info* info, size_t, void* data) {
    auto* segment = static_cast<CodeSegment*>(data);
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || (header.p_flags & PF_X) == 0) {
            continue;
        }
        const uintptr_t start = info->dlpi_addr + header.p_vaddr;
        const uintptr_t end = start + header.p_memsz;
        if (segment->marker >= start && segment->marker < end) {
            segment->start = start;
            segment->end = end;
            return 1;
        }
    }
    return 0;
}

}  // namespace

int32_t Tarvo_GetCodeRange(const void** ppCodeStart, const void** ppCodeEnd) {
    if (ppCodeStart == nullptr || ppCodeEnd == nullptr) {
        return IllegalParameter;
    }
    *ppCodeStart = nullptr;
    *ppCodeEnd = nullptr;
    CodeSegment segment{reinterpret_cast<uintptr_t>(&tarvoCodeEndMarker)};
    const bool found = dl_iterate_phdr(findMarkerSegment, &segment) != 0;
    if (!found || segment.marker + sizeof(uint32_t) != segment.end ||
        tarvoCodeEndMarker != kCodeEndMarker) {
        return TarvoNoCodeRange;
    }
    *ppCodeStart = reinterpret_cast<const void*>(segment.start);
    *ppCodeEnd = &tarvoCodeEndMarker;
    return Success;
}
