#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Replaces the whole contents of the file at `path` with `bytes` so that the file is never
// seen half-written: the text goes to a new file beside it, is flushed to disk, and is then
// renamed over the old one. The old file's permission bits are kept (and, when running with
// the rights to do so, its owner and group). A missing file is created.
// Throws RunError when the file may not be written (a read-only file counts, whoever runs the
// program) or any step fails; the old file is then left exactly as it was.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

// True when the file at `path` exists and may be replaced by this process: it is not marked
// read-only and the process has the right to write it.
bool IsWritableFile(const std::string& path);

// Appends `bytes` to the file at `path` (created if missing) in one write, so that two
// processes appending at once never mix their entries. Throws RunError on failure.
void AppendToFile(const std::string& path, std::string_view bytes);

}  // namespace vorn
