// Whole-file reads and writes that never leave a file half-written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nodewise {

// Writes `contents` to `path` through a temporary file in the same folder, flushed to disk and
// then renamed over the target. On any error while creating, writing, flushing, closing or
// renaming, the temporary file is removed, an existing file keeps its contents, and false is
// returned with the system's description in `reason`. An existing file's permissions are kept;
// a symbolic link is followed, so the file it points to is the one replaced.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* reason = nullptr);

// Reads the file into `contents`, stopping after `maxLines` line feeds (the rest is not
// needed) or with an error past `maxBytes`. On failure `contents` is unchanged.
bool ReadFileHead(const std::string& path, std::string& contents, std::size_t maxLines,
                  std::size_t maxBytes, std::string* reason = nullptr);

} // namespace nodewise
