#pragma once

// File-system paths as text, the way the file dialogs and the file viewer
// take them apart. Any thread.

#include <string>

namespace plugkit::graphics {

// The path without its last component: "/a/b.orv" and "/a/b/" give "/a",
// "/a" gives "/", a bare name gives "".
std::string ParentFolder(std::string path);

// The folder as the dialogs answer it: followed by one "/".
std::string WithTrailingSlash(std::string folder);

// A leading "~" (alone or before "/") stands for the home folder.
std::string ExpandTilde(const std::string& path);

}  // namespace plugkit::graphics
