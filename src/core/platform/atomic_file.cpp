#include "core/platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nodewise {

namespace {

// As many links as the kernel follows in one path before it gives up.
constexpr int MaxLinkHops = 40;

bool Fail(std::string* reason, const std::string& path, int error) {
    if (reason != nullptr) {
        *reason = path + ": " + std::strerror(error);
    }
    return false;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The text of a symbolic link; errno on failure.
int ReadLink(const std::string& path, std::string& text) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            text.assign(buffer.data(), static_cast<std::size_t>(length));
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The name a save really writes: the end of the chain of symbolic links that starts at `path`,
// or `path` itself. The file named need not exist. Returns 0 or errno.
int ResolveTarget(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                return errno;
            }
            target = current; // a new file (or a folder that is missing: creating it says so)
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = current;
            return 0;
        }
        std::string link;
        if (const int error = ReadLink(current, link); error != 0) {
            return error;
        }
        if (link.empty()) {
            return ENOENT;
        }
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return ELOOP;
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Writes everything; 0 or errno.
int WriteAll(int fd, std::string_view contents) {
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// While it lives, a write to a pipe whose reader has gone fails with EPIPE instead of killing
// the program; a SIGPIPE raised meanwhile is taken back before the signal mask is restored.
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        sigemptyset(&pipeSignal_);
        sigaddset(&pipeSignal_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        alreadyPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_);
    }
    ~PipeSignalHeld() {
        const int savedErrno = errno;
        if (!alreadyPending_) {
            const struct timespec noWait {};
            while (sigtimedwait(&pipeSignal_, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        errno = savedErrno;
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t pipeSignal_;
    sigset_t previous_;
    bool alreadyPending_ = false;
};

// A device, a named pipe: written where it is, since renaming over it would replace the node
// with a plain file.
bool WriteInPlace(const std::string& path, std::string_view contents, std::string* reason) {
    int fd;
    do {
        // Not blocking at the open: a named pipe that nobody reads is an error (ENXIO) now, not
        // a program that waits for ever with the user's work unsaved.
        fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return Fail(reason, path, errno);
    }
    // The writes themselves block as usual (a reader that is slow is waited for).
    if (const int flags = fcntl(fd, F_GETFL); flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    int error;
    {
        PipeSignalHeld held;
        error = WriteAll(fd, contents);
    }
    if (close(fd) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    return error == 0 ? true : Fail(reason, path, error);
}

// What the file replaced passes on to its successor: owner and group where permitted (a user
// who may not give a file away keeps at least its group, if a member of it), then the mode,
// since a change of owner clears the set-user-ID and set-group-ID bits.
int KeepAttributes(int fd, const struct stat* existing) {
    if (existing != nullptr) {
        if (fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            [[maybe_unused]] const int groupOnly =
                fchown(fd, static_cast<uid_t>(-1), existing->st_gid);
        }
    }
    const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : NewFileMode();
    return fchmod(fd, mode) != 0 ? errno : 0;
}

// A file name beside `target` that is free at the moment: target.tmp-XXXXXX.
std::string TemporaryName(const std::string& target) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::mt19937_64 generator{std::random_device{}() ^
                              static_cast<std::uint64_t>(std::time(nullptr))};
    std::string name = target + ".tmp-";
    for (int i = 0; i < 6; ++i) {
        name.push_back(letters[generator() % (sizeof letters - 1)]);
    }
    return name;
}

enum class Outcome { Done, Failed, Unsupported };

#ifdef O_TMPFILE
// Gives the anonymous file `fd` the name `name`: directly where the process may (it needs
// CAP_DAC_READ_SEARCH), otherwise through its entry in /proc. 0 or errno.
int LinkAnonymous(int fd, const std::string& name) {
    if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        return 0;
    }
    if (errno == EEXIST) {
        return EEXIST;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                          : errno;
}

// The contents go into a file without a name, which gets one only when complete: a save killed
// at any moment before leaves nothing behind. Unsupported where the file system cannot make
// such a file or the process cannot name it.
Outcome WriteThroughAnonymousFile(const std::string& path, const std::string& target,
                                  const struct stat* existing, std::string_view contents,
                                  std::string* reason) {
    const int fd = open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
            return Outcome::Unsupported;
        }
        Fail(reason, path, errno);
        return Outcome::Failed;
    }
    int error = WriteAll(fd, contents);
    if (error == 0) {
        error = KeepAttributes(fd, existing);
    }
    if (error == 0 && fsync(fd) != 0) {
        error = errno;
    }
    if (error != 0) {
        close(fd);
        Fail(reason, path, error);
        return Outcome::Failed;
    }
    std::string temporary;
    error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporary = TemporaryName(target);
        error = LinkAnonymous(fd, temporary);
    }
    close(fd);
    if (error != 0) {
        return Outcome::Unsupported; // written again through a named temporary file
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        Fail(reason, path, error);
        return Outcome::Failed;
    }
    return Outcome::Done;
}
#endif

// The same through a temporary file that has a name from the start.
bool WriteThroughNamedFile(const std::string& path, const std::string& target,
                           const struct stat* existing, std::string_view contents,
                           std::string* reason) {
    std::vector<char> name(target.begin(), target.end());
    static const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix); // includes the terminating NUL
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(reason, path, errno);
    }
    const std::string temporary(name.data());
    int error = WriteAll(fd, contents);
    if (error == 0) {
        error = KeepAttributes(fd, existing);
    }
    if (error == 0 && fsync(fd) != 0) {
        error = errno;
    }
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        return Fail(reason, path, error);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* reason) {
    if (path.empty()) {
        return Fail(reason, path, ENOENT);
    }
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISDIR(existing.st_mode)) {
        // Through whatever links lead there, those of /proc/self/fd included, which name no
        // file the chain below could follow (standard output given by name, say).
        return WriteInPlace(path, contents, reason);
    }
    std::string target;
    if (const int error = ResolveTarget(path, target); error != 0) {
        return Fail(reason, path, error);
    }
    bool exists = false;
    if (stat(target.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            return Fail(reason, path, errno);
        }
    } else if (S_ISDIR(existing.st_mode)) {
        return Fail(reason, path, EISDIR);
    } else if (!S_ISREG(existing.st_mode)) {
        return WriteInPlace(target, contents, reason); // appeared meanwhile
    } else {
        // Renaming needs only the folder's permission; replacing a file is writing it, and a
        // file nobody may write (mode 0444, say) is not overwritten even by the superuser.
        if ((existing.st_mode & 0222) == 0) {
            return Fail(reason, path, EACCES);
        }
        if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return Fail(reason, path, errno);
        }
        exists = true;
    }
    const struct stat* replaced = exists ? &existing : nullptr;
#ifdef O_TMPFILE
    const Outcome outcome = WriteThroughAnonymousFile(path, target, replaced, contents, reason);
    if (outcome != Outcome::Unsupported) {
        return outcome == Outcome::Done;
    }
#endif
    return WriteThroughNamedFile(path, target, replaced, contents, reason);
}

bool ReadFileHead(const std::string& path, std::string& contents, std::size_t maxLines,
                  std::size_t maxBytes, std::string* reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Fail(reason, path, errno);
    }
    std::string data;
    std::size_t lines = 0;
    char buffer[65536];
    while (lines < maxLines) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close(fd);
            return Fail(reason, path, error);
        }
        if (got == 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(got));
        lines += static_cast<std::size_t>(std::count(buffer, buffer + got, '\n'));
        if (data.size() > maxBytes && lines < maxLines) {
            close(fd);
            return Fail(reason, path, EFBIG);
        }
    }
    close(fd);
    contents = std::move(data);
    return true;
}

} // namespace nodewise
