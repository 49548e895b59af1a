// The health monitor of the address space: the task "AsHealthTask" that checksums the program's
// code range every pass (and on its first pass the parameter directory and, in mode 4, the
// files "files.txt" lists), and the report of each finished pass to the system manager.
//
// Passes: the first about 10 s after HSmonStart, then every 30 s, counted in one-second sleeps
// on the address space's time source. The task publishes a pass by writing nHealthDirSum and
// nHealthTotal, then increasing nHealthPass (release); HSmonReport reads them in the opposite
// order (acquire), so a report never pairs a new pass count with the checksums before it.
#pragma once

#include <cstdint>

#include "AsInfo.h"

// Starts the health monitor's task for `pAsInfo` (which must have a code range; null is a failed
// assertion): count-down 10, state 1, the task "AsHealthTask" (priority 8, 8192 bytes of stack)
// with `pAsInfo` as its identification word, stored in hHealthTask. Every kernel failure goes to
// the fatal check. Called once per address space, by the RUN command on the command loop's task.
void HSmonStart(AsInfo* pAsInfo);

// The body of "AsHealthTask": the passes, for ever. It ends itself only when it finds no block:
// with the kernel's code when its identification word cannot be read, with NULLObjectSpecified
// when the word is 0.
void HSmonTask(void);

// The checksum of the regular files of the parameter directory (szParDir below szBasePath), in
// the order the directory lists them: each file's name, then its 4-byte checksum. Files of the
// program's own parameters (szParPrefix followed by a name ending in .par, .bpa, .bpc, .npf,
// .nbp, .par.spf, .bpa.spf or .bpc.spf) and everything that is not a regular file are left out.
// The directory is read by full path; the working directory is never changed, but the base path
// and the directory must each be one that a change of directory could enter (searchable). When
// the walk cannot be completed (traced), `*pChecksum` is the initial value 0. The health task.
void HSmonDirChecksum(AsInfo* pAsInfo, uint32_t* pChecksum);

// The checksum over the 4-byte checksums of the files that "<szBasePath>files.txt" lists, in the
// order of its lines. A line names a file when, with its trailing characters outside "!" to "~"
// cut off, it is longer than one character and begins with "+": the rest is appended to
// szBasePath. A line with more than 254 characters before its trailing ones is too long: a file
// line then stops the list like a name too long for the path, any other such line is ignored
// whole. Only regular files are read: a list or a listed path that is anything else (missing, a
// directory, a pipe, a device, a link loop) is refused, a list as missing (absent or a directory)
// or not opened, a listed path as a failed file. What is opened is opened without waiting and
// checked as it was opened, so a path swapped for a pipe never blocks the task. On any stop
// (traced) `*pChecksum` is 0; when the base path leaves no room for the list's name it is not
// touched. The health task.
void HSmonFilesTxtChecksum(AsInfo* pAsInfo, uint32_t* pChecksum);

// Reports a pass that has ended since the last report: the directory checksum when it is the
// first pass, then the pass total. Returns the error code of the last report made, 0 when nothing
// was reported; failures are traced. `pAsInfo` null is a failed assertion. The command loop's
// task, after each trigger with sub-code 1.
int HSmonReport(AsInfo* pAsInfo);
