// Whole-file reads and writes that never leave a file half-written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nodewise {

// Writes `contents` to `path` so that a save that cannot complete leaves an earlier file as it
// was and nothing beside it.
//
// - A symbolic link is followed to the end of its chain (a relative link read against the
//   folder of the link), also when the file it names does not exist yet: that file is the one
//   written, the links stay. A loop of links is an error (ELOOP).
// - A regular file, or a new one, is written into a temporary file in the same folder that has
//   no name until it is complete and flushed to disk (O_TMPFILE, named by linkat; a named
//   temporary file where the file system lacks that), then renamed over the target. The file
//   replaced keeps its permissions and, where the system permits, its owner and group. A file
//   that may not be written (no write permission bit at all, whoever saves, or none for the
//   caller) is not replaced (EACCES).
// - Anything else that exists under the name (a device, a named pipe) is written in place:
//   opened, written and closed, never replaced.
//
// On failure returns false and, if `reason` is given, "PATH: the system's description".
// A file-size limit is a write error (EFBIG) only where the program ignores SIGXFSZ.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view contents,
                                       std::string* reason = nullptr);

// Reads the file into `contents`, stopping after `maxLines` line feeds (the rest is not
// needed) or with an error past `maxBytes`. On failure `contents` is unchanged.
[[nodiscard]] bool ReadFileHead(const std::string& path, std::string& contents,
                                std::size_t maxLines, std::size_t maxBytes,
                                std::string* reason = nullptr);

} // namespace nodewise
