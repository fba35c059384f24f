#pragma once
// Mounts that only this test process sees (POSIX, root): another volume for the tests that
// need one, a tmpfs or a second view of a folder, gone when the test ends.
#include <sched.h>
#include <sys/mount.h>
#include <cerrno>
#include <cstring>
#include <string>

// A view of the mounts of this test process alone, where it may mount; the reason when it
// cannot (not root, or no right to make a mount namespace).
inline std::string PrivateMounts() {
    static const std::string failure = []() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("cannot make a mount namespace: ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("cannot make the mounts private: ") + std::strerror(errno);
        return {};
    }();
    return failure;
}

// A file system mounted on a folder of the tree for as long as it lives.
class TMount {
public:
    TMount(const std::string& at, const char* bindFrom) : FAt(at) {
        FMounted = bindFrom != nullptr
                       ? ::mount(bindFrom, at.c_str(), nullptr, MS_BIND, nullptr) == 0
                       : ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=4m,mode=0755") == 0;
    }
    ~TMount() {
        if (FMounted)
            ::umount2(FAt.c_str(), MNT_DETACH);
    }
    TMount(const TMount&) = delete;
    TMount& operator=(const TMount&) = delete;
    bool Mounted() const { return FMounted; }

private:
    std::string FAt;
    bool FMounted = false;
};
