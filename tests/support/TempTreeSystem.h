#pragma once
// What TTempTree needs of the system (posix/ and win32/TempTree.cpp); paths are UTF-8 with
// the system's separator.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace TempTreeSystem {

inline constexpr char Separator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif
// A folder path is never cut below this length when its trailing separators go ("C:\").
inline constexpr std::size_t ShortestRoot =
#ifdef _WIN32
    3;
#else
    1;
#endif

// A relative path with the system's separators.
std::string Native(std::string_view rel);
// A fresh, empty folder under the temporary folder.
std::string MakeRoot();
// The folders of path from the position from on (the folder before it exists), each one
// that is not there yet. Raises on any other failure, as all do.
void MakeFolders(const std::string& path, std::size_t from);
// A file or a whole folder, whatever a test made of its permissions; nothing when absent.
void RemoveAll(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
// Gives the existing file the size without writing data (sparse where the system can).
void SetSparseSize(const std::string& path, std::uint64_t size);
// A symbolic link to target, written as given (relative to the link's folder or absolute).
void MakeLink(const std::string& path, std::string_view target);
void MakeHardLink(const std::string& path, const std::string& existing);
// Makes the path unreadable (TTempTree::Deny); a handle to hold until the tree ends, if the
// system needs one.
std::optional<std::intptr_t> Deny(const std::string& path);
void Release(std::intptr_t handle);

}  // namespace TempTreeSystem
