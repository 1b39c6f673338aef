#pragma once

#include <string>

namespace hl {

// Folders that hold the user's own files between runs (recovery copies, the thumbnail cache).
// Whoever else may write in such a folder could plant links or files there, or read what it
// holds; so it is made for the user alone and used only while it stays so.

// Makes `path` and its missing parents, each for the user alone. The folder itself, when made
// here, is 0700 whatever the umask: a umask that takes the owner's own rights away would
// leave a folder nobody can keep files in. False with errno set when one cannot be made.
bool MakePrivateFolders(const std::string& path);

// Why `folder` cannot be used: not a folder, another user's, or writable by others. Empty
// when it is the user's alone.
std::string PrivateFolderProblem(const std::string& folder);

}  // namespace hl
