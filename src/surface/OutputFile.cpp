#include "surface/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <system_error>

#include "surface/SaveError.h"

namespace galleri {

namespace {

// The file a chain of symbolic links ends at (the path itself when it is no
// link); a loop is left for the later stat to report.
std::string ResolveLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0) {
            return path;
        }
        link.resize(static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        if (link[0] != '/' && slash != std::string::npos) {
            link = path.substr(0, slash + 1) + link;
        }
        path = link;
    }
    return path;
}

std::string RandomSuffix() {
    static std::mt19937_64 rng{std::random_device{}() ^ static_cast<uint64_t>(getpid())};
    constexpr const char* kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s = ".";
    for (int i = 0; i < 6; ++i) {
        s += kChars[rng() % 62];
    }
    return s;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    struct stat st {};
    const bool exists = stat(path.c_str(), &st) == 0;  // follows links
    if (!exists && errno != ENOENT) {
        Fail(errno);
    }
    if (exists && S_ISDIR(st.st_mode)) {
        Fail(EISDIR);
    }
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) {
            Fail(errno);
        }
        return;
    }
    target_ = ResolveLinks(path);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = target_ + RandomSuffix();
        fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temp_.clear();
            Fail(error);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        Fail(EEXIST);
    }
    if (exists) {
        // The new file takes the old one's permissions, as an edit in place
        // would keep them.
        fchmod(fd_, st.st_mode & 07777);
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
    if (!committed_ && !temp_.empty()) {
        unlink(temp_.c_str());
    }
}

void OutputFile::Write(const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd_, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? errno : EIO);
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void OutputFile::Commit() {
    if (!temp_.empty() && fsync(fd_) != 0) {
        Fail(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        Fail(errno);
    }
    if (!temp_.empty() && rename(temp_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    committed_ = true;
}

void OutputFile::Fail(int error) const {
    throw SaveError(path_, std::generic_category().message(error));
}

}  // namespace galleri
