// Whole-file reads and writes of the data-set file: a write never leaves a half-written file
// behind and reaches the medium before it counts as done; a read tells a file whose content is
// bad from one that could not be read.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace data_set_file {

// A file whose content cannot be a data set (too short, or failing a check of its content).
// Such a file may be removed; any other read failure leaves the file alone.
class BadContent : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads up to `capacity` bytes of `path` into `data` and gives how many were read; throws
// BadContent when the file holds fewer than `minimum` bytes, std::runtime_error naming the
// step and the operating system's reason when it cannot be opened or read. Initial task.
std::size_t read(const std::string& path, uint8_t* data, std::size_t minimum, std::size_t capacity);

// Writes `size` bytes at `data` to `path` through a temporary file in the same directory
// ("<path>.new"): whatever stands at that name (a stale file, or a directory with all it holds:
// the name is this writer's; a symbolic link there or inside is removed itself, never followed;
// directories nested more than four deep, the temporary itself the first, are not walked: such
// a tree fails the write at once, traced with its path, as one that cannot be cleared)
// is cleared, then the temporary file is created anew (something that has come to stand at
// the name meanwhile fails the creation), written, flushed, forced to the medium, closed and
// renamed over `path`, and the directory is forced to the medium. A failure of any step up to
// the rename removes the temporary file, leaves a file already at `path` as it was and throws
// std::runtime_error naming the step, the path and the operating system's reason. Once the
// rename is done the file is written: a failure to force the directory is only given back, as
// the text naming it and its reason ("" when it was forced). Initial task.
[[nodiscard]] std::string writeAtomically(const std::string& path, const uint8_t* data,
                                          std::size_t size);

// Removes `path` (nothing to do when there is none) and forces the directory to the medium.
// Throws std::runtime_error with the operating system's reason when the file exists and cannot
// be removed; a failure to force the directory after the removal is only given back, as for
// writeAtomically ("" when it was forced). Initial task.
[[nodiscard]] std::string remove(const std::string& path);

}  // namespace data_set_file
