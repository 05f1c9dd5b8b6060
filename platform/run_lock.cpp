#include "platform/run_lock.h"

#include <ostream>

#include "platform/console.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tarn {

#ifndef _WIN32

namespace {

constexpr int kMaxLocks = 4;

struct HeldLock {
    int Fd;
    dev_t Device;
    ino_t Inode;
};

HeldLock g_locks[kMaxLocks];
int g_lockCount = 0;
bool g_saidWaiting = false;

bool Held(const struct stat& info) {
    for (int i = 0; i < g_lockCount; ++i)
        if (g_locks[i].Device == info.st_dev && g_locks[i].Inode == info.st_ino) return true;
    return false;
}

}  // namespace

void LockRunDirectory(const std::string& directory) {
    std::string name = directory.empty() ? "." : directory;
    int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info;
    if (g_lockCount == kMaxLocks || fstat(fd, &info) != 0 || Held(info)) {
        close(fd);
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {  // a file system without locks: nothing to wait for
            close(fd);
            return;
        }
        if (!g_saidWaiting) {
            std::string shown = name == "." ? WorkingDirectory() : name;
            ConsoleLine("Waiting for the analysis running in " + shown + " to end");
            Console().flush();
            g_saidWaiting = true;
        }
        while (flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                close(fd);
                return;
            }
        }
    }
    g_locks[g_lockCount++] = HeldLock{fd, info.st_dev, info.st_ino};
}

void ReleaseRunDirectories() {
    for (int i = 0; i < g_lockCount; ++i) close(g_locks[i].Fd);
    g_lockCount = 0;
    g_saidWaiting = false;
}

FileLock TryLockFile(const std::string& path) {
    FileLock lock;
    lock.Handle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock.Handle < 0) return lock;
    int status;
    while ((status = flock(lock.Handle, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (status == 0) return lock;
    lock.Taken = errno != EWOULDBLOCK;
    UnlockFile(lock.Handle);
    return lock;
}

void UnlockFile(int& handle) {
    if (handle >= 0) close(handle);
    handle = -1;
}

#else

// Not built for Windows yet: runs there are not serialised.
void LockRunDirectory(const std::string&) {}
void ReleaseRunDirectories() {}
FileLock TryLockFile(const std::string&) {
    return FileLock{};
}
void UnlockFile(int& handle) {
    handle = -1;
}

#endif

}  // namespace tarn
