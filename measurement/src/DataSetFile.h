// Whole-file writes that never leave a half-written file behind.
#pragma once

#include <cstdint>
#include <string>

namespace data_set_file {

// Writes `size` bytes at `data` to `path` through a temporary file in the same directory
// ("<path>.new"): created, written, flushed, closed, then renamed over `path`. A failure of any
// step removes the temporary file, leaves a file already at `path` as it was and throws
// std::runtime_error naming the step and the path. Initial task.
void writeAtomically(const std::string& path, const uint8_t* data, std::size_t size);

}  // namespace data_set_file
