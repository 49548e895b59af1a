// Checksums, the program's code range and file helpers of the framework.
//
// The running checksum is CRC-32 (IEEE 802.3: reflected polynomial 0xEDB88320, initial and
// final value 0xFFFFFFFF applied inside each update), kept in its final form: a checksum value
// is the CRC-32 of every byte added so far, so "123456789" gives 0xCBF43926 and a checksum
// of nothing is 0. All calls may be made from any task.
#pragma once

#include <cstdint>

// Starts a checksum: *checksum = 0.
void checksumInit(uint32_t* checksum);

// Adds `length` bytes at `data` to *checksum. A null checksum or data adds nothing.
void checksumUpdate(uint32_t* checksum, const void* data, uint32_t length);

// The checksum of the contents of the file at `path` into *checksum. Returns 0;
// IllegalParameter for a null argument; TarvoFileNotReadable when the file cannot be opened or
// read or is no regular file (a directory, a FIFO, a device: never waited for nor read);
// *checksum is untouched on failure.
int32_t Tarvo_FileChecksum(const char* path, uint32_t* checksum);

// Non-zero when `path` names an existing file that is not a directory. Both names are one call.
int Tarvo_FileExists(const char* path);
int Tarvo_FilePresent(const char* path);

// Compares at most `count` characters of two NUL-terminated texts like strncmp: 0 when equal.
// A null text compares as "".
int Tarvo_CompareN(const char* a, const char* b, uint32_t count);

// 0 when `name` ends in `extension` (case-sensitive; a name that is exactly the extension ends
// in it), non-zero otherwise or when either text is null or the extension is empty.
int fileHasExtension(const char* name, const char* extension);

// The word that the last code word of every program's image holds.
constexpr uint32_t kCodeEndMarker = 0x600DBEEF;

// The code range of the running program, as its entry hands it to the system-manager client
// (SysManStart) for the health monitor: `*ppCodeStart` is the first byte of the program's code
// and `*ppCodeEnd` its last code word, which holds kCodeEndMarker; the range includes the
// marker. On the host the program's code is the executable segment of its image (the read-only
// data lies in a segment of its own); the platform library puts the marker at that segment's
// end through the link option that every program linking the platform takes
// (platform/host/CodeEnd.ld). Returns 0; IllegalParameter for a null argument; TarvoNoCodeRange
// when the image does not end its code in the marker (linked without the option): both outputs
// are then null, which the client takes as "no health monitor". Any task.
int32_t Tarvo_GetCodeRange(const void** ppCodeStart, const void** ppCodeEnd);
