#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Replaces the whole contents of the file at `path` with `bytes`, keeping the file what it
// is: a link stays a link and the file it names gets the text, a second hard link still shares
// it, and owner, group, mode bits, access list and extended attributes stay (see FileRewrite).
// The file is never seen half-written where a new file can take its place, and never emptied
// first where it is rewritten in place. A missing file is created.
// Throws RunError when the file may not be written (a read-only file counts, whoever runs the
// program), is not a regular file, or any step fails; the old file is then left as it was.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace vorn
