// The tree search on Windows: SearchTreeForFile of the image-help library, bound by name when
// the first search is made, so that nothing is loaded before it is needed.
// Divisions, in order: the routine's signature and ANSI paths made UTF-8; the search, bound at
// its first use; the process's search and a fresh one.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "autoconfig/tree_search.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

namespace {

using SearchTreeForFileFn = BOOL(WINAPI*)(PCSTR rootPath, PCSTR input_path_name,
                                          PSTR output_path_buffer);

// The routine writes at most MAX_PATH bytes, the terminating NUL included.
constexpr std::size_t kOutputBufferSize = 260;

std::string AnsiPathToUtf8(const std::string& ansi) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  int m = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(m), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), m, nullptr, nullptr);
  return utf8;
}

class ImageHelpTreeSearch final : public TreeSearch {
 public:
  bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                         std::string& foundPath) override {
    SearchTreeForFileFn search = Bind();
    char buffer[kOutputBufferSize] = {};
    if (search(rootPath.c_str(), fileName.c_str(), buffer) == FALSE) return false;
    // The routine answers in the ANSI code page; paths are kept in UTF-8 on this platform, as
    // the file routines take them.
    foundPath = AnsiPathToUtf8(std::string(buffer, ::strnlen(buffer, sizeof buffer)));
    return true;
  }

  // The file the routine reports, reached again from the root folder by handle, one folder at
  // a time: "\vorn\" itself may be a junction or link, but no reparse point below it is
  // passed. The found file's folder is handed over open; the patcher opens the file in it.
  bool FindFile(const std::string& rootPath, const std::string& fileName,
                FoundFile& found) override {
    std::string path;
    if (!SearchTreeForFile(rootPath, fileName, path)) return false;
    const std::string root = AnsiPathToUtf8(rootPath);
    if (path.size() <= root.size() || ::_strnicmp(path.c_str(), root.c_str(), root.size()) != 0)
      return false;
    std::string below = path.substr(root.size());
    try {
      auto folder = std::make_shared<FolderHandle>(FolderHandle::Open(root));
      for (auto slash = below.find('\\'); slash != std::string::npos; slash = below.find('\\')) {
        if (slash > 0)
          folder = std::make_shared<FolderHandle>(folder->OpenSubFolder(below.substr(0, slash)));
        below.erase(0, slash + 1);
      }
      found.folder = std::move(folder);
    } catch (const RunError&) {
      return false;  // a link below the root, or the tree changed since the search
    }
    found.path = path;
    return true;
  }

 private:
  SearchTreeForFileFn Bind() {
    if (routine_ != nullptr) return routine_;
    HMODULE library = ::LoadLibraryA("imagehlp");
    if (library == nullptr) throw SystemError(static_cast<int>(::GetLastError()), "imagehlp");
    FARPROC address = ::GetProcAddress(library, "SearchTreeForFile");
    if (address == nullptr)
      throw SystemError(static_cast<int>(::GetLastError()), "imagehlp: SearchTreeForFile");
    routine_ = reinterpret_cast<SearchTreeForFileFn>(reinterpret_cast<void*>(address));
    return routine_;
  }

  SearchTreeForFileFn routine_ = nullptr;
};

}  // namespace

TreeSearch& SystemTreeSearch() {
  static ImageHelpTreeSearch search;
  return search;
}

std::unique_ptr<TreeSearch> NewSystemTreeSearch() {
  return std::make_unique<ImageHelpTreeSearch>();
}

}  // namespace vorn::autoconfig
