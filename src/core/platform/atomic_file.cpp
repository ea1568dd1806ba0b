#include "core/platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nodewise {

namespace {

bool Fail(std::string* reason, const std::string& what, int error) {
    if (reason != nullptr) {
        *reason = what + ": " + std::strerror(error);
    }
    return false;
}

// The file a save really replaces: the target of a symbolic link, or the path itself.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* reason) {
    if (path.empty()) {
        return Fail(reason, "empty file name", ENOENT);
    }
    const std::string target = ResolveTarget(path);
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        return Fail(reason, target, EISDIR);
    }
    const bool exists = stat(target.c_str(), &existing) == 0;

    std::vector<char> temp(target.begin(), target.end());
    static const char suffix[] = ".tmp-XXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix); // includes the terminating NUL
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Fail(reason, target, errno);
    }
    const std::string tempPath(temp.data());
    auto abandon = [&](int error) {
        unlink(tempPath.c_str());
        return Fail(reason, target, error);
    };

    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close(fd);
            return abandon(error);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : NewFileMode();
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0) {
        const int error = errno;
        close(fd);
        return abandon(error);
    }
    if (close(fd) != 0) {
        return abandon(errno);
    }
    if (rename(tempPath.c_str(), target.c_str()) != 0) {
        return abandon(errno);
    }
    return true;
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
