#include "core/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace velmora {

namespace {

namespace fs = std::filesystem;

std::string writeReason(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return "ディスクの空き容量が足りません";
    case EACCES:
    case EPERM:
    case EROFS:
        return "書き込みが許可されていません";
    case ENOENT:
    case ENOTDIR:
        return "保存先のフォルダが見つかりません";
    default:
        return "書き込みに失敗しました (" + std::generic_category().message(err) + ")";
    }
}

std::string readReason(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return "読み込みが許可されていません";
    case EISDIR:
        return "ファイルではなくフォルダです";
    default:
        return "読み込みに失敗しました (" + std::generic_category().message(err) + ")";
    }
}

constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandomDigits = 12;

std::string temporaryNameFor(const std::string& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return target + suffix;
}

// "name.<12 hex digits>.tmp": what temporaryNameFor makes of `name`.
bool isTemporaryOf(std::string_view candidate, std::string_view name) {
    if (candidate.size() != name.size() + 1 + kTempRandomDigits + kTempSuffix.size() ||
        candidate.substr(0, name.size()) != name || candidate[name.size()] != '.' ||
        candidate.substr(candidate.size() - kTempSuffix.size()) != kTempSuffix) {
        return false;
    }
    for (char c : candidate.substr(name.size() + 1, kTempRandomDigits)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Temporary files of `target` that a crash left behind. Only those well older
// than the file just written go: another computer may be writing one of its
// own right now. Both times come from the same file server's clock.
void removeLeftovers(const fs::path& target) {
    struct stat now {};
    if (::stat(target.c_str(), &now) != 0) {
        return;
    }
    const std::string name = target.filename().string();
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (!isTemporaryOf(candidate, name)) {
            continue;
        }
        struct stat left {};
        if (::lstat(it->path().c_str(), &left) == 0 && S_ISREG(left.st_mode) && left.st_mtime + 60 < now.st_mtime) {
            ::unlink(it->path().c_str());
        }
    }
}

bool writeAll(int fd, std::string_view bytes, std::size_t limit, int& err) {
    std::size_t done = 0;
    const std::size_t total = std::min(bytes.size(), limit);
    while (done < total) {
        const ssize_t n = ::write(fd, bytes.data() + done, total - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            err = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (total < bytes.size()) {
        err = ENOSPC; // the injected fault
        return false;
    }
    return true;
}

FileStamp stampOf(const struct stat& st) {
    return FileStamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                     static_cast<long long>(st.st_size),
                     static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes the content's pieces to the file; `limit` bytes at most (an
// injected fault), *total receives how many were written.
bool writeContent(int fd, const ContentWriter& content, std::size_t limit, int& err, std::size_t* total) {
    std::size_t done = 0;
    bool ok = true;
    const bool produced = content([&](std::string_view piece) {
        if (!ok) {
            return false;
        }
        const std::size_t allowed = limit > done ? limit - done : 0;
        ok = writeAll(fd, piece, allowed, err);
        done += std::min(piece.size(), allowed);
        return ok;
    });
    if (ok && !produced) {
        ok = false;
        err = EIO; // the writer gave up on its own
    }
    *total = done;
    return ok;
}

// Rewrites a file with several names in place, so that none of them is cut
// off; the caller has proved with a full temporary copy that the content fits.
bool rewriteInPlace(const fs::path& target, const ContentWriter& content, const std::string& old, int& err,
                    FileStamp* written) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    std::size_t size = 0;
    bool ok = writeContent(fd, content, std::numeric_limits<std::size_t>::max(), err, &size) &&
              ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::fsync(fd) == 0;
    struct stat mine {};
    if (ok && written && ::fstat(fd, &mine) == 0) {
        *written = stampOf(mine);
    }
    if (!ok) {
        if (!err) {
            err = errno;
        }
        // Put the old content back rather than leave a mixture.
        int ignored = 0;
        if (::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old, old.size(), ignored)) {
            [[maybe_unused]] const int r = ::ftruncate(fd, static_cast<off_t>(old.size()));
            ::fsync(fd);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

std::string resolvedTarget(const std::string& path) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) {
            break;
        }
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) {
            break;
        }
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    // ".." is the system's to resolve: by text it would leave a linked folder.
    return p.string();
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return stampOf(st);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         const AtomicWriteOptions& options) {
    return replaceFile(path, bytes, error, options) == WriteResult::Written;
}

WriteResult replaceFile(const std::string& path, std::string_view bytes, std::string* error,
                        const AtomicWriteOptions& options, FileStamp* written) {
    return replaceFileWith(
        path, [bytes](const ContentSink& sink) { return sink(bytes); }, error, options, written);
}

WriteResult replaceFileWith(const std::string& path, const ContentWriter& content, std::string* error,
                            const AtomicWriteOptions& options, FileStamp* written) {
    const fs::path target(resolvedTarget(path));
    const fs::path folder = target.parent_path();
    const auto failWith = [&](const std::string& reason) {
        if (error) {
            *error = reason;
        }
        return WriteResult::Failed;
    };
    // Checked as late as possible, so that the window in which another
    // computer's save could land unseen is as short as it can be.
    const auto changedMeanwhile = [&] {
        return options.unchangedSince && fileStamp(target.string()) != *options.unchangedSince;
    };

    std::error_code ec;
    if (!fs::is_directory(folder.empty() ? fs::path(".") : folder, ec)) {
        return failWith(writeReason(ENOENT));
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A file the user made read-only is refused, as it would be on a shared
    // drive, even where the folder would let us replace it.
    if (exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return failWith("読み取り専用のファイルです");
    }
    if (exists && !S_ISREG(old.st_mode)) {
        return failWith("ファイルではありません");
    }

    const std::string temp = temporaryNameFor(target.string());
    const mode_t createMode = !exists && options.ownerOnly ? 0600 : 0666;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
    if (fd < 0) {
        return failWith(writeReason(errno));
    }
    const auto failTemp = [&](int err) {
        ::unlink(temp.c_str());
        return failWith(writeReason(err));
    };
    int err = 0;
    // Keep the old file's permissions: a shared file stays readable by the group.
    bool ok = !exists || ::fchmod(fd, old.st_mode & 07777) == 0;
    if (!ok) {
        err = errno;
    }
    std::size_t size = 0;
    ok = ok && writeContent(fd, content, options.failAfterBytes.value_or(std::numeric_limits<std::size_t>::max()), err,
                            &size);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    // The version we write, taken from the file itself: read back by name
    // after the rename it could already be another computer's.
    struct stat mine {};
    if (ok && written && ::fstat(fd, &mine) == 0) {
        *written = stampOf(mine);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        return failTemp(err ? err : EIO);
    }
    if (changedMeanwhile()) {
        ::unlink(temp.c_str());
        return WriteResult::Changed;
    }

    if (exists && old.st_nlink > 1) {
        const FileRead before = readFile(target.string());
        if (before.outcome != ReadOutcome::Read) {
            ::unlink(temp.c_str());
            return failWith(before.error.empty() ? writeReason(EIO) : before.error);
        }
        const bool rewritten = rewriteInPlace(target, content, before.bytes, err, written);
        ::unlink(temp.c_str());
        if (!rewritten) {
            return failWith(writeReason(err ? err : EIO));
        }
    } else {
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            return failTemp(errno);
        }
        syncFolder(folder);
    }
    removeLeftovers(target);
    return WriteResult::Written;
}

std::optional<WriteGuard> WriteGuard::acquire(const std::string& path, int waitMs, std::string* error) {
    static std::mt19937 random{std::random_device{}()};
    const std::string marker = resolvedTarget(path) + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return WriteGuard(marker);
        }
        if (errno != EEXIST) {
            return WriteGuard(std::string());
        }
        struct stat held {};
        if (::stat(marker.c_str(), &held) == 0 && held.st_mtime + kStaleWriteGuardSeconds < std::time(nullptr)) {
            // Left by a writer that died: moved aside first, so that two
            // computers breaking it at once never remove a fresh one.
            const std::string aside = temporaryNameFor(marker);
            if (::rename(marker.c_str(), aside.c_str()) == 0) {
                ::unlink(aside.c_str());
            }
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            if (error) {
                *error = "他のコンピュータが保存中のため書き込めません";
            }
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 20));
    }
}

WriteGuard::~WriteGuard() {
    if (!m_marker.empty()) {
        ::unlink(m_marker.c_str());
    }
}

FileRead readFile(const std::string& path) {
    FileRead result;
    // Not blocking: a pipe of that name would wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        result.outcome = err == ENOENT || err == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Failed;
        if (result.outcome == ReadOutcome::Failed) {
            result.error = readReason(err);
        }
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        result.stamp = stampOf(st);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        result.outcome = ReadOutcome::Failed;
        result.error = S_ISDIR(st.st_mode) ? readReason(EISDIR) : "通常のファイルではありません";
        return result;
    }
    if (st.st_size > 0) {
        result.bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            ::close(fd);
            result.outcome = ReadOutcome::Failed;
            result.error = readReason(err);
            result.bytes.clear();
            return result;
        }
        if (n == 0) {
            break;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    result.outcome = ReadOutcome::Read;
    return result;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    FileRead r = readFile(path);
    if (r.outcome != ReadOutcome::Read) {
        return std::nullopt;
    }
    return std::move(r.bytes);
}

} // namespace velmora
