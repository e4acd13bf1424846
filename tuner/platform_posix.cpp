// Native platform: UTF-8, LF line ends, replacement by fsync + rename +
// directory fsync.
#include "platform.h"

#include "LumasetCore.h"
#include "utf8.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumaset::platform {

namespace {

[[noreturn]] void Fail(const std::string &path, const char *what, int error) {
    throw IoError(path + ": " + what + ": " + std::strerror(error));
}

std::string FolderOf(const std::string &path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

DecodedChar DecodeChar(const unsigned char *bytes, size_t available) { return DecodeUtf8(bytes, available); }

const std::string &LineSeparator() {
    static const std::string separator = "\n";
    return separator;
}

ReplacementFile::ReplacementFile(const std::string &targetPath, const std::string &tempPath)
    : target_(targetPath), temp_(tempPath), handle_(-1) {
    // A leftover temporary file is replaced, never followed if it is a link.
    if (::unlink(temp_.c_str()) != 0 && errno != ENOENT && errno != EISDIR && errno != EPERM)
        Fail(temp_, "cannot create temporary file", errno);
    int fd;
    do {
        fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(temp_, "cannot create temporary file", errno);
    handle_ = fd;
    open_ = true;
    // The new file keeps the permissions of the one it replaces.
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0)
        (void)::fchmod(fd, st.st_mode & 07777);
}

ReplacementFile::~ReplacementFile() {
    if (committed_)
        return;
    CloseHandle();
    ::unlink(temp_.c_str());
}

void ReplacementFile::CloseHandle() noexcept {
    if (open_) {
        ::close(static_cast<int>(handle_));
        open_ = false;
    }
}

void ReplacementFile::Write(const char *data, size_t length) {
    const int fd = static_cast<int>(handle_);
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(temp_, "cannot write", errno);
        }
        if (written == 0)
            Fail(temp_, "cannot write", ENOSPC);
        data += written;
        length -= static_cast<size_t>(written);
    }
}

void ReplacementFile::Commit() {
    const int fd = static_cast<int>(handle_);
    if (::fsync(fd) != 0)
        Fail(temp_, "cannot flush to disk", errno);
    open_ = false;
    if (::close(fd) != 0)
        Fail(temp_, "cannot close", errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(target_, "cannot replace with temporary file", errno);
    committed_ = true;
    // Make the rename itself durable; some file systems cannot sync a folder.
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

void SetBinaryStdout() {}

} // namespace lumaset::platform
