#pragma once

#include <filesystem>
#include <string>

namespace vorn {

// The path of the file `name` in the folder `dir` (which ends in the path separator). File
// names the VORN programs share are matched without regard to letter case, as Windows does:
// an exact match wins; otherwise an entry that differs only in letter case is used under its
// own name; otherwise the path of `name` itself.
std::string ResolveFileName(const std::string& dir, const std::string& name);

// A path held as text (UTF-8 on Windows, bytes elsewhere) as the standard library takes it.
std::filesystem::path NativePath(const std::string& path);

// The platform's path separator as text: "\" on Windows, "/" elsewhere.
const std::string& PathSeparator();

// `dir` with one separator appended unless it already ends in one.
std::string WithTrailingSeparator(std::string dir);

// The folder holding the running executable, without a trailing separator.
std::string ApplicationDirectory();

// The process's current directory, without a trailing separator (a drive or file system root
// keeps its separator).
std::string CurrentDirectory();

}  // namespace vorn
