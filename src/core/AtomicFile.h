#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// What identifies one version of a file: a rename over it gives a new inode,
// a rewrite in place a new size or time.
struct FileStamp {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file a path names (links followed); nullopt when it does not exist.
std::optional<FileStamp> fileStamp(const std::string& path);

struct AtomicWriteOptions {
    // Fault injection for tests: the write stops with a failure after this
    // many bytes, as a full disk would.
    std::optional<std::size_t> failAfterBytes{};
    // A file that does not exist yet is created readable and writable by its
    // owner only (secrets); an existing file always keeps its own mode.
    bool ownerOnly = false;
    // The target must still be this version (nullopt: must still not exist)
    // right before the rename; otherwise nothing is written and the result is
    // Changed. Unset (the default): no check.
    std::optional<std::optional<FileStamp>> unchangedSince{};
};

enum class WriteResult {
    Written,
    Failed,  // *error holds the reason; the old file is intact
    Changed, // another writer replaced the file since it was read; nothing was written
};

// Writes the whole file to a temporary file beside its real target (symbolic
// links are followed, so a link to a shared file keeps pointing at it), syncs
// it and renames it over the target, then syncs the folder, so that a crash
// or a failed write never leaves a half-written file. A file with several hard
// links is rewritten in place after the full copy has been written, so every
// name keeps seeing it. Temporary files a crash left beside the target are
// removed. On failure the old file is untouched, the temporary file is
// removed, false is returned and *error (when given) holds a Japanese reason.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         const AtomicWriteOptions& options = {});
// The same, telling a file another writer replaced meanwhile (see
// unchangedSince); *written (when given) receives the stamp of the version
// this call wrote.
WriteResult replaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                        const AtomicWriteOptions& options = {}, FileStamp* written = nullptr);

// Content written in pieces, for files too big to hold twice: the writer
// hands each piece in order to the sink, and stops (returning false) when
// the sink refuses one. It may be asked twice: a file with several hard
// links is rewritten in place after its full copy.
using ContentSink = std::function<bool(std::string_view piece)>;
using ContentWriter = std::function<bool(const ContentSink& sink)>;
// replaceFile with the content written in pieces; the same guarantees.
WriteResult replaceFileWith(const std::string& path, const ContentWriter& content, std::string* error = nullptr,
                            const AtomicWriteOptions& options = {}, FileStamp* written = nullptr);

// The file a path names once symbolic links are followed (the path itself
// when it is no link); a dangling link gives the path it points to.
std::string resolvedTarget(const std::string& path);

// A marker file beside a shared file ("name.lock"), held by one computer for
// the few milliseconds of a read-modify-write, so that no other computer's
// save can land between that read and its rename. Cooperative, like the user
// lock: only the program's own writers honour it. A marker older than
// `kStaleWriteGuardSeconds` (a crash in the middle of a write) is broken.
class WriteGuard {
public:
    static constexpr int kStaleWriteGuardSeconds = 30;

    // Waits up to `waitMs` for the marker. nullopt, with a Japanese reason,
    // when another writer keeps it that long. Where no marker can be made at
    // all (a folder nobody may write), an empty guard is returned: the write
    // that follows fails with its own reason.
    static std::optional<WriteGuard> acquire(const std::string& path, int waitMs, std::string* error = nullptr);

    WriteGuard(WriteGuard&& other) noexcept : m_marker(std::move(other.m_marker)) { other.m_marker.clear(); }
    WriteGuard& operator=(WriteGuard&&) = delete;
    WriteGuard(const WriteGuard&) = delete;
    ~WriteGuard();

private:
    explicit WriteGuard(std::string marker) : m_marker(std::move(marker)) {}
    std::string m_marker;
};

enum class ReadOutcome {
    Read,    // the bytes are the whole file
    Missing, // there is no such file
    Failed,  // the file exists (or may) but could not be read: never write after this
};

struct FileRead {
    ReadOutcome outcome = ReadOutcome::Missing;
    std::string bytes;
    std::optional<FileStamp> stamp; // of the version read
    std::string error;              // Japanese reason when Failed
};

// Reads a whole file, telling a missing file from one that cannot be read.
FileRead readFile(const std::string& path);

// Reads a whole file; nullopt when it does not exist or cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace velmora
