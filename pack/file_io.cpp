#include "file_io.h"

#include <cerrno>
#include <cstring>

#include "platform_fs.h"

namespace kvpack {

std::string LastSystemError() { return errno ? std::strerror(errno) : "unknown error"; }

bool FileSource::Open(const std::string& path) {
    Close();
    error_.clear();
    errno = 0;
    FileStatus status = StatPath(path);
    if (status.exists && status.is_directory) {
        error_ = "it is a folder, not a file";
        return false;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        error_ = LastSystemError();
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) != 0 || (size_ = TellFile(file_)) < 0) {
        error_ = "its length cannot be read";
        Close();
        return false;
    }
    position_ = -1;
    return true;
}

void FileSource::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    size_ = -1;
    position_ = -1;
}

bool FileSource::read(int64_t offset, void* out, size_t n) {
    if (!file_ || offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset) {
        error_ = "a read went past its end";
        return false;
    }
    // Sequential chunks need no seek; a seek would drop stdio's buffer.
    if (position_ != offset) {
        if (!SeekFile(file_, offset)) {
            position_ = -1;
            error_ = LastSystemError();
            return false;
        }
        position_ = offset;
    }
    size_t got = std::fread(out, 1, n, file_);
    if (got != n) {
        position_ = -1;
        error_ = std::ferror(file_) ? LastSystemError() : "it is shorter than it was";
        return false;
    }
    position_ += static_cast<int64_t>(n);
    return true;
}

bool InputFile::read(int64_t offset, void* out, size_t n) {
    if (!opened_) {
        opened_ = true;
        if (!file_.Open(path_)) {
            error_ = "cannot be read: " + file_.error();
            return false;
        }
        if (file_.size() != checked_size_) {
            error_ = "changed its length while the package was written";
            file_.Close();
            return false;
        }
    }
    if (!file_.read(offset, out, n)) {
        error_ = "cannot be read: " + file_.error();
        return false;
    }
    if (offset + static_cast<int64_t>(n) == checked_size_) file_.Close();
    return true;
}

FileSink::~FileSink() {
    if (file_) std::fclose(file_);
}

bool FileSink::Create(const std::string& path) {
    path_ = path;
    error_.clear();
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error_ = LastSystemError();
        return false;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);  // buffered here instead, see write()
    pending_.clear();
    pending_.reserve(kPendingLimit + kSmallWrite);  // appends never allocate
    return true;
}

bool FileSink::write(const void* data, size_t n) {
    if (!file_) return false;
    // Field-sized writes gather in `pending_`; body chunks go straight to the
    // file in one call each, never split by a half-full buffer.
    if (n < kSmallWrite) {
        pending_.append(static_cast<const char*>(data), n);
        return pending_.size() < kPendingLimit || Flush();
    }
    return Flush() && WriteThrough(data, n);
}

bool FileSink::Flush() {
    if (pending_.empty()) return true;
    const bool ok = WriteThrough(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
}

bool FileSink::WriteThrough(const void* data, size_t n) {
    if (std::fwrite(data, 1, n, file_) != n) {
        if (error_.empty()) error_ = LastSystemError();
        return false;
    }
    return true;
}

bool FileSink::Close() {
    if (!file_) return error_.empty();
    bool ok = Flush() && std::fflush(file_) == 0 && !std::ferror(file_);
    if (!ok && error_.empty()) error_ = LastSystemError();
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        error_ = LastSystemError();
    }
    file_ = nullptr;
    return ok && error_.empty();
}

}  // namespace kvpack
