#pragma once
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"

// A fresh folder under the temporary folder, removed with everything in it at the end.
// Folders are made 0755 and files 0644 whatever the umask, so that the user nobody can reach
// them (see RunAsNobody).
class TTempTree {
public:
    TTempTree();
    ~TTempTree();
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;
    const std::string& Root() const;               // UTF-8, no trailing "/"
    std::string Path(std::string_view rel) const;  // Root() + "/" + rel
    Text TextPath(std::string_view rel) const;     // the same as Text (Utf8ToText)
    // Path(rel) as Text with one trailing separator, the system's, as the scan writes folders.
    Text FolderText(std::string_view rel = {}) const;
    void File(std::string_view rel, std::string_view bytes);  // parents made as needed
    void SizedFile(std::string_view rel, std::uint64_t size, char fill = 'x');
    // A file of the size with no data written (sparse where the file system can do it).
    void SparseFile(std::string_view rel, std::uint64_t size);
    void Folder(std::string_view rel);
    void Link(std::string_view rel, std::string_view target);  // symbolic link, target as given
    void HardLink(std::string_view rel, std::string_view existingRel);
    void Remove(std::string_view rel);  // file or whole folder
    // Makes a file unreadable or a folder unlistable for the body of RunWhereDenied, as one
    // the user may not open. POSIX: its permission bits are cleared. Windows: a handle holds
    // it open without sharing until the tree ends; opening it for its attributes still works.
    void Deny(std::string_view rel);

private:
    // Path(rel), with the folders above it made as needed.
    std::string WithParents(std::string_view rel) const;

    std::string FRoot;
    std::vector<std::intptr_t> FHeld;  // the handles of Deny (Windows)
};

// A path below the tree with "/" between its parts whatever the system's separator, so that
// expectations are written once for every platform.
inline std::string ForwardSlashes(std::string path) {
#ifdef _WIN32
    for (char& c : path)
        if (c == '\\')
            c = '/';
#endif
    return path;
}

bool RunningAsRoot();
// Runs body in a child process as the unprivileged user nobody (uid/gid 65534) and returns
// the value body returned (or -1 when the child could not switch or crashed). Used to test
// unreadable files and folders, which root reads anyway. A test that does not run as root is
// unprivileged already: its child keeps the test's own user.
int RunAsNobody(const std::function<int()>& body);

#ifndef _WIN32
// Runs body in a child process that sees the folder source also at target (a bind mount, in
// a mount namespace of the child's own). Returns body's value, or -1 as RunAsNobody does,
// also when the system does not let the child mount.
int RunWithBindMount(std::string_view source, std::string_view target,
                     const std::function<int()>& body);
#endif

#ifndef _WIN32
// The folder at the path opened for reading (O_RDONLY | O_DIRECTORY), whatever the path's
// length, for checks by the *at() calls of what lies beyond the system's path limit; -1 with
// errno when it cannot be opened. The caller closes it.
int OpenFolderAnyLength(const std::string& path);
#endif

// Runs body where what TTempTree::Deny shut off cannot be opened: as the user nobody on
// POSIX (root opens anything); on Windows in this process, which the holding handle shuts
// out like any other. Returns body's value, or -1 as RunAsNobody does.
int RunWhereDenied(const std::function<int()>& body);

// The bytes of a whole file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
