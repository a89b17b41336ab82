// Saving and reading the shared files: a link keeps pointing at the shared
// file, a crash leaves no litter for long, a failed read is never followed by
// a write, and another computer's save between our read and our write is kept.
#include "core/AtomicFile.h"
#include "core/ProfileFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Names = std::set<std::string>;

Names entriesOf(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// "name.<12 hex digits>.tmp": the writer's temporary file for `name`.
bool isTemporaryOf(const std::string& candidate, const std::string& name) {
    const std::string suffix = ".tmp";
    if (candidate.size() != name.size() + 1 + 12 + suffix.size() || !candidate.starts_with(name + ".") ||
        !candidate.ends_with(suffix)) {
        return false;
    }
    const std::string digits = candidate.substr(name.size() + 1, 12);
    return digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// A reason the user can read: Japanese text (UTF-8 of U+3000..U+9FFF).
bool isJapanese(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0xE3 && c <= 0xE9) {
            return true;
        }
    }
    return false;
}

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

bool isFifo(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

void makeFifo(const fs::path& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
}

void setAge(const fs::path& path, std::chrono::seconds age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t m_old;
};

// The names created in watched folders (inotify): shows where a writer made
// its temporary file even though the rename took it away again.
class CreatedNames {
public:
    CreatedNames() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) { EXPECT_GE(m_fd, 0); }
    ~CreatedNames() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CreatedNames(const CreatedNames&) = delete;
    CreatedNames& operator=(const CreatedNames&) = delete;

    void watch(const fs::path& folder) {
        const int wd = ::inotify_add_watch(m_fd, folder.c_str(), IN_CREATE);
        ASSERT_GE(wd, 0) << folder;
        m_folders[wd] = folder.filename().string();
    }
    // Names created so far, by the watched folder's own name.
    std::map<std::string, std::vector<std::string>> take() {
        std::map<std::string, std::vector<std::string>> created;
        for (const auto& [wd, folder] : m_folders) {
            created[folder];
        }
        alignas(inotify_event) char buffer[16384];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0) {
                    created[m_folders[event->wd]].push_back(event->name);
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return created;
    }

private:
    int m_fd;
    std::map<int, std::string> m_folders;
};

// Runs `work` on a thread of its own. When it has not ended within a few
// seconds (a read stuck on a pipe), `unblock` gives the pipe an end so that
// the test itself does not hang, and the answer is false.
bool endsPromptly(const std::function<void()>& work, const std::function<void()>& unblock) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(5s) == std::future_status::ready) {
        done.get();
        return true;
    }
    unblock();
    done.get();
    return false;
}

// Opening and closing the writing end ends a reader waiting for a writer.
void closeAWriter(const fs::path& fifo) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
    }
}

const std::string kOld = "[S]\r\nk=old value\r\n";
const std::string kNew = "[S]\r\nk=new\r\n";

} // namespace

// Symbolic links. The first save used to replace the link with a plain file
// beside it, and the computer silently stopped sharing the file.
TEST(AtomicFileLinks, WritingThroughASymbolicLinkWritesItsTarget) {
    struct Row {
        const char* name;
        // Made in order: where the link is, what it holds ("@" is the test's folder).
        std::vector<std::pair<std::string, std::string>> links;
        bool targetExists;
    };
    const Row rows[] = {
        {"absolute link", {{"local/data.ini", "@/shared/data.ini"}}, true},
        {"relative link", {{"local/data.ini", "../shared/data.ini"}}, true},
        {"chain of two links",
         {{"middle/hop.ini", "@/shared/data.ini"}, {"local/data.ini", "../middle/hop.ini"}},
         true},
        // ".." in a link is taken from where the link really is, not from the
        // name of a linked folder it was reached through.
        {"relative link reached through a linked folder",
         {{"local/inner", "@/middle"}, {"middle/data.ini", "../shared/data.ini"}, {"local/data.ini", "inner/data.ini"}},
         true},
        {"dangling link", {{"local/data.ini", "../shared/data.ini"}}, false},
    };
    const auto check = [](const Row& row) {
        TempDir dir;
        for (const char* folder : {"local", "middle", "shared"}) {
            fs::create_directory(dir.path() / folder);
        }
        const fs::path target = dir.path() / "shared" / "data.ini";
        if (row.targetExists) {
            writeBytes(target, kOld);
        }
        for (const auto& [where, holds] : row.links) {
            const std::string to = holds.starts_with("@") ? dir.path().string() + holds.substr(1) : holds;
            fs::create_symlink(to, dir.path() / where);
        }
        const Names localBefore = entriesOf(dir.path() / "local");
        const Names middleBefore = entriesOf(dir.path() / "middle");
        CreatedNames created;
        for (const char* folder : {"local", "middle", "shared"}) {
            created.watch(dir.path() / folder);
        }

        std::string error;
        ASSERT_TRUE(writeFileAtomically(dir.file("local/data.ini"), kNew, &error)) << error;

        for (const auto& link : row.links) {
            EXPECT_TRUE(fs::is_symlink(dir.path() / link.first)) << link.first << " is no longer a link";
        }
        EXPECT_EQ(readBytes(target), kNew);
        EXPECT_EQ(readBytes(dir.path() / "local" / "data.ini"), kNew);
        auto names = created.take();
        EXPECT_EQ(names["local"], std::vector<std::string>{}) << "a temporary file beside the link";
        EXPECT_EQ(names["middle"], std::vector<std::string>{}) << "a temporary file beside the link";
        ASSERT_EQ(names["shared"].size(), 1u) << "the temporary file belongs beside the target";
        EXPECT_TRUE(isTemporaryOf(names["shared"][0], "data.ini")) << names["shared"][0];
        EXPECT_EQ(entriesOf(dir.path() / "local"), localBefore);
        EXPECT_EQ(entriesOf(dir.path() / "middle"), middleBefore);
        EXPECT_EQ(entriesOf(dir.path() / "shared"), Names{"data.ini"});
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check(row);
    }
}

// A rename gave the saved name a new inode and left the other names with the
// old bytes.
TEST(AtomicFileLinks, EveryHardLinkedNameSeesTheNewBytes) {
    TempDir dir;
    fs::create_directory(dir.path() / "local");
    const fs::path shared = dir.path() / "data.ini";
    const fs::path local = dir.path() / "local" / "data.ini";
    writeBytes(shared, "[S]\r\nk=an old value much longer than the new one\r\n");
    fs::create_hard_link(shared, local);

    std::string error;
    ASSERT_TRUE(writeFileAtomically(local.string(), kNew, &error)) << error;
    EXPECT_EQ(readBytes(shared), kNew) << "the old tail must be cut off";
    EXPECT_EQ(readBytes(local), kNew);
    EXPECT_TRUE(fs::equivalent(shared, local));
    EXPECT_EQ(fs::hard_link_count(shared), 2u);

    const std::string longer = kNew + "[T]\r\nk=" + std::string(100000, 'x') + "\r\n";
    ASSERT_TRUE(writeFileAtomically(shared.string(), longer, &error)) << error;
    EXPECT_EQ(readBytes(local), longer);
    EXPECT_TRUE(fs::equivalent(shared, local));
    EXPECT_EQ(entriesOf(dir.path()), (Names{"data.ini", "local"}));
    EXPECT_EQ(entriesOf(dir.path() / "local"), Names{"data.ini"});
}

// A shared file stays readable by the group; a secret stays the owner's.
TEST(AtomicFileLinks, TheTargetKeepsItsMode) {
    struct Row {
        const char* name;
        std::optional<mode_t> existing; // nullopt: a new file
        bool ownerOnly;
        bool throughLink;
        mode_t expected;
    };
    const Row rows[] = {
        {"group-readable file", 0640, false, false, 0640},
        {"owner-only file", 0600, false, false, 0600},
        {"group-writable file", 0664, false, false, 0664},
        {"group-readable file behind a link", 0640, false, true, 0640},
        {"existing file saved owner-only keeps its mode", 0664, true, false, 0664},
        {"new file follows the umask", std::nullopt, false, false, 0644},
        {"new owner-only file", std::nullopt, true, false, 0600},
        {"new owner-only file behind a dangling link", std::nullopt, true, true, 0600},
    };
    const Umask umask(022);
    const auto check = [](const Row& row) {
        TempDir dir;
        const fs::path target = dir.path() / "data.ini";
        if (row.existing) {
            writeBytes(target, kOld);
            fs::permissions(target, static_cast<fs::perms>(*row.existing));
        }
        const fs::path written = row.throughLink ? dir.path() / "link.ini" : target;
        if (row.throughLink) {
            fs::create_symlink("data.ini", written);
        }
        std::string error;
        ASSERT_TRUE(writeFileAtomically(written.string(), kNew, &error, AtomicWriteOptions{.ownerOnly = row.ownerOnly}))
            << error;
        EXPECT_EQ(readBytes(target), kNew);
        EXPECT_EQ(modeOf(target), row.expected) << std::oct << modeOf(target);
        EXPECT_EQ(fs::is_symlink(written), row.throughLink);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check(row);
    }
}

// 729 killed saves left 23 temporary files of up to 1.9 MB beside the data.
TEST(AtomicFileLeftovers, TheNextSaveRemovesStaleTemporaryFilesOfThatFileOnly) {
    struct Row {
        const char* name;
        std::chrono::seconds age;
        bool removed;
        bool folder = false;
    };
    const Row rows[] = {
        {"data.ini.0123456789ab.tmp", 120s, true},
        {"data.ini.fedcba987654.tmp", 24h * 30, true},
        {"data.ini.00000000000f.tmp", 90s, true},
        // Another computer may be writing this one right now.
        {"data.ini.aaaaaaaaaaaa.tmp", 30s, false},
        {"data.ini.bbbbbbbbbbbb.tmp", 0s, false},
        // Not ours.
        {"other.ini.0123456789ab.tmp", 120s, false},
        {"xdata.ini.0123456789ab.tmp", 120s, false},
        {"data.ini.tmp", 120s, false},
        {"data.ini.12345.tmp", 120s, false},
        {"data.ini.0123456789abc.tmp", 120s, false},
        {"data.ini.0123456789a.tmp", 120s, false},
        {"data.ini.0123456789xy.tmp", 120s, false},
        {"data.ini.0123456789ab.tmp.bak", 120s, false},
        {"data.ini.cccccccccccc.tmp", 120s, false, true},
    };
    TempDir dir;
    const fs::path target = dir.path() / "data.ini";
    writeBytes(target, kOld);
    for (const Row& row : rows) {
        if (row.folder) {
            fs::create_directory(dir.path() / row.name);
        } else {
            writeBytes(dir.path() / row.name, std::string(1000, 'x'));
        }
        setAge(dir.path() / row.name, row.age);
    }

    std::string error;
    ASSERT_TRUE(writeFileAtomically(target.string(), kNew, &error)) << error;
    EXPECT_EQ(readBytes(target), kNew);
    Names expected{"data.ini"};
    for (const Row& row : rows) {
        EXPECT_NE(fs::exists(dir.path() / row.name), row.removed) << row.name;
        if (!row.removed) {
            expected.insert(row.name);
        }
    }
    EXPECT_EQ(entriesOf(dir.path()), expected);
}

// A write that breaks off (a full disk) keeps the old file whole and leaves nothing behind.
TEST(AtomicFileFaults, ABrokenWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    enum class Layout { Plain, Missing, SymbolicLink, HardLink };
    struct Row {
        const char* name;
        Layout layout;
        std::size_t failAfter;
        bool written;
    };
    const std::string bytes = kNew + std::string(70000, 'y'); // more than one write call of a buffer
    const Row rows[] = {
        {"nothing written", Layout::Plain, 0, false},
        {"half written", Layout::Plain, bytes.size() / 2, false},
        {"all but the last byte", Layout::Plain, bytes.size() - 1, false},
        {"new file", Layout::Missing, bytes.size() / 2, false},
        {"through a symbolic link", Layout::SymbolicLink, bytes.size() / 2, false},
        {"hard-linked file", Layout::HardLink, bytes.size() / 2, false},
        {"the limit is the whole file", Layout::Plain, bytes.size(), true},
    };
    const auto check = [&bytes](const Row& row) {
        TempDir dir;
        const fs::path target = dir.path() / "data.ini";
        fs::path written = target;
        if (row.layout != Layout::Missing) {
            writeBytes(target, kOld);
        }
        if (row.layout == Layout::SymbolicLink) {
            written = dir.path() / "link.ini";
            fs::create_symlink(target, written);
        } else if (row.layout == Layout::HardLink) {
            written = dir.path() / "other.ini";
            fs::create_hard_link(target, written);
        }
        const Names before = entriesOf(dir.path());
        const auto stampBefore = fileStamp(target.string());

        std::string error;
        const AtomicWriteOptions options{.failAfterBytes = row.failAfter};
        EXPECT_EQ(writeFileAtomically(written.string(), bytes, &error, options), row.written);
        if (row.written) {
            EXPECT_EQ(readBytes(target), bytes);
            return;
        }
        EXPECT_EQ(error, "ディスクの空き容量が足りません");
        EXPECT_EQ(entriesOf(dir.path()), before) << "temporary file left behind";
        EXPECT_EQ(fileStamp(target.string()), stampBefore);
        if (row.layout != Layout::Missing) {
            EXPECT_EQ(readBytes(target), kOld);
            EXPECT_EQ(readBytes(written), kOld);
        }
        EXPECT_EQ(fs::is_symlink(written), row.layout == Layout::SymbolicLink);
        error.clear();
        EXPECT_EQ(replaceFile(written.string(), bytes, &error, options), WriteResult::Failed);
        EXPECT_TRUE(isJapanese(error)) << error;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check(row);
    }
}

// Content written in pieces (the calendar bitmap) has the same guarantees,
// the hard-linked rewrite included, and a writer that gives up writes nothing.
TEST(AtomicFileFaults, ContentInPiecesKeepsTheSameGuarantees) {
    const std::string bytes = kNew + std::string(70000, 'z');
    const auto inPieces = [&bytes](std::size_t stopAfter) -> ContentWriter {
        return [&bytes, stopAfter](const ContentSink& sink) {
            for (std::size_t at = 0; at < bytes.size(); at += 997) {
                if (at >= stopAfter || !sink(std::string_view(bytes).substr(at, 997))) {
                    return false;
                }
            }
            return true;
        };
    };
    TempDir dir;
    const fs::path target = dir.path() / "calendar.bmp";
    const fs::path other = dir.path() / "other.bmp";
    writeBytes(target, kOld);
    fs::create_hard_link(target, other);
    const Names before = entriesOf(dir.path());
    std::string error;
    EXPECT_EQ(replaceFileWith(target.string(), inPieces(bytes.size() / 2), &error), WriteResult::Failed);
    EXPECT_TRUE(isJapanese(error)) << error;
    const AtomicWriteOptions full{.failAfterBytes = bytes.size() / 3};
    EXPECT_EQ(replaceFileWith(target.string(), inPieces(bytes.size()), &error, full), WriteResult::Failed);
    EXPECT_EQ(readBytes(target), kOld);
    EXPECT_EQ(entriesOf(dir.path()), before) << "temporary file left behind";

    EXPECT_EQ(replaceFileWith(target.string(), inPieces(bytes.size()), &error), WriteResult::Written);
    EXPECT_EQ(readBytes(target), bytes);
    EXPECT_EQ(readBytes(other), bytes) << "both names of a hard-linked file see the new content";
}

// The old reader could not tell a missing file (start empty) from one it could
// not read (never write over it).
TEST(ReadFile, TellsAMissingFileFromOneThatCannotBeRead) {
    struct Row {
        const char* name;
        std::string path;
        ReadOutcome outcome;
    };
    TempDir dir;
    fs::create_directory(dir.path() / "folder.ini");
    writeBytes(dir.path() / "plain.ini", kOld);
    const Row rows[] = {
        {"missing file", dir.file("none.ini"), ReadOutcome::Missing},
        {"path through a missing folder", dir.file("gone/none.ini"), ReadOutcome::Missing},
        {"folder", dir.file("folder.ini"), ReadOutcome::Failed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const FileRead read = readFile(row.path);
        EXPECT_EQ(read.outcome, row.outcome);
        EXPECT_EQ(read.bytes, "");
        if (row.outcome == ReadOutcome::Failed) {
            EXPECT_TRUE(isJapanese(read.error)) << read.error;
        } else {
            EXPECT_EQ(read.error, "");
            EXPECT_EQ(read.stamp, std::nullopt);
        }
        EXPECT_EQ(readWholeFile(row.path), std::nullopt);
    }
}

// Opening a pipe of the data file's name waited for a writer for ever.
TEST(ReadFile, APipeFailsPromptly) {
    for (const bool withWriter : {false, true}) {
        SCOPED_TRACE(withWriter ? "a writer that sends nothing" : "no writer");
        TempDir dir;
        const fs::path fifo = dir.path() / "data.ini";
        makeFifo(fifo);
        // Read and write: the pipe has a writer, and opening it does not wait.
        const int writer = withWriter ? ::open(fifo.c_str(), O_RDWR | O_CLOEXEC) : -1;
        FileRead read;
        EXPECT_TRUE(endsPromptly([&] { read = readFile(fifo.string()); },
                                 [&] {
                                     closeAWriter(fifo);
                                     if (writer >= 0) {
                                         ::close(writer);
                                     }
                                 }));
        EXPECT_EQ(read.outcome, ReadOutcome::Failed);
        EXPECT_TRUE(isJapanese(read.error)) << read.error;
        EXPECT_TRUE(isFifo(fifo));
        if (writer >= 0) {
            ::close(writer);
        }
    }
}

TEST(ReadFile, ReadsTheWholeFileWithTheStampOfThatVersion) {
    TempDir dir;
    std::string bytes = kOld + std::string("\0\x82\xa0\r\n", 5);
    while (bytes.size() < 300000) {
        bytes += bytes;
    }
    const fs::path path = dir.path() / "data.ini";
    writeBytes(path, bytes);
    writeBytes(dir.path() / "empty.ini", "");
    fs::create_symlink("data.ini", dir.path() / "link.ini");

    const auto check = [&dir](const char* name) {
        const fs::path file = dir.path() / name;
        const FileRead read = readFile(file.string());
        ASSERT_EQ(read.outcome, ReadOutcome::Read);
        EXPECT_EQ(read.bytes, readBytes(file));
        EXPECT_EQ(read.error, "");
        ASSERT_TRUE(read.stamp.has_value());
        EXPECT_EQ(read.stamp, fileStamp(file.string()));
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(read.stamp->inode, st.st_ino);
        EXPECT_EQ(read.stamp->size, static_cast<long long>(read.bytes.size()));
        EXPECT_EQ(readWholeFile(file.string()), read.bytes);
    };
    for (const char* name : {"data.ini", "link.ini", "empty.ini"}) {
        SCOPED_TRACE(name);
        check(name);
    }
}

// Two computers read the shared file, both saved, and the first save was lost.
TEST(ReplaceFile, WritesOnlyOverTheVersionRead) {
    struct Row {
        const char* name;
        bool existed; // when read
        std::function<void(const fs::path&)> anotherWriter;
        WriteResult result;
    };
    const std::string theirs = "[S]\r\nk=theirs, saved by another computer\r\n";
    const Row rows[] = {
        {"nobody came between", true, [](const fs::path&) {}, WriteResult::Written},
        {"another file renamed over it", true,
         [&](const fs::path& p) {
             writeBytes(p.string() + ".new", theirs);
             fs::rename(p.string() + ".new", p);
         },
         WriteResult::Changed},
        {"rewritten in place with another size", true, [&](const fs::path& p) { writeBytes(p, theirs); },
         WriteResult::Changed},
        {"rewritten in place with the same size at another time", true,
         [&](const fs::path& p) {
             const auto time = fs::last_write_time(p);
             writeBytes(p, std::string(kOld.size(), 'z'));
             fs::last_write_time(p, time + 2s);
         },
         WriteResult::Changed},
        {"removed", true, [](const fs::path& p) { fs::remove(p); }, WriteResult::Changed},
        {"still missing", false, [](const fs::path&) {}, WriteResult::Written},
        {"created by another computer", false, [&](const fs::path& p) { writeBytes(p, theirs); }, WriteResult::Changed},
    };
    const auto check = [](const Row& row) {
        TempDir dir;
        const fs::path path = dir.path() / "data.ini";
        if (row.existed) {
            writeBytes(path, kOld);
        }
        const FileRead read = readFile(path.string());
        ASSERT_EQ(read.outcome, row.existed ? ReadOutcome::Read : ReadOutcome::Missing);
        row.anotherWriter(path);
        const bool existsNow = fs::exists(path);
        const std::string bytesNow = existsNow ? readBytes(path) : "";

        AtomicWriteOptions options;
        options.unchangedSince = read.stamp;
        ASSERT_TRUE(options.unchangedSince.has_value()) << "the check must be asked for";
        std::string error;
        EXPECT_EQ(replaceFile(path.string(), kNew, &error, options), row.result) << error;
        if (row.result == WriteResult::Written) {
            EXPECT_EQ(readBytes(path), kNew);
        } else {
            EXPECT_EQ(fs::exists(path), existsNow);
            EXPECT_EQ(existsNow ? readBytes(path) : "", bytesNow) << "another computer's save was overwritten";
        }
        EXPECT_EQ(entriesOf(dir.path()), existsNow || row.result == WriteResult::Written ? Names{"data.ini"} : Names{})
            << "temporary file left behind";
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check(row);
    }
}

TEST(ReplaceFile, MustStillNotExist) {
    TempDir dir;
    const fs::path path = dir.path() / "data.ini";
    AtomicWriteOptions options;
    options.unchangedSince.emplace(std::nullopt);
    std::string error;

    EXPECT_EQ(replaceFile(path.string(), kNew, &error, options), WriteResult::Written) << error;
    EXPECT_EQ(readBytes(path), kNew);
    // Now it exists: the same check refuses, as it would for another computer's file.
    EXPECT_EQ(replaceFile(path.string(), kOld, &error, options), WriteResult::Changed);
    EXPECT_EQ(readBytes(path), kNew);
    EXPECT_EQ(entriesOf(dir.path()), Names{"data.ini"});
    // Without the check the file is simply replaced.
    EXPECT_EQ(replaceFile(path.string(), kOld, &error), WriteResult::Written) << error;
    EXPECT_EQ(readBytes(path), kOld);
}

// A file that could not be read was loaded as empty and then saved over.
TEST(ProfileFileGuard, AProfileThatCouldNotBeReadIsNeverWritten) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::function<bool(const fs::path&)> stillThere;
    };
    const Row rows[] = {
        {"folder of that name", [](const fs::path& p) { fs::create_directory(p); },
         [](const fs::path& p) { return fs::is_directory(p) && fs::is_empty(p); }},
        {"pipe of that name", [](const fs::path& p) { makeFifo(p); }, [](const fs::path& p) { return isFifo(p); }},
    };
    const auto check = [](const Row& row) {
        TempDir dir;
        const fs::path path = dir.path() / "data.ini";
        row.make(path);
        ProfileFile profile(path.string());
        std::string error;
        ReadOutcome outcome = ReadOutcome::Read;
        EXPECT_TRUE(endsPromptly([&] { outcome = profile.load(&error); }, [&] { closeAWriter(path); }));
        EXPECT_EQ(outcome, ReadOutcome::Failed);
        EXPECT_TRUE(profile.loadFailed());
        EXPECT_TRUE(isJapanese(error)) << error;
        ASSERT_TRUE(profile.writeString("S", "k", "ours"));

        error.clear();
        EXPECT_FALSE(profile.save(&error));
        EXPECT_TRUE(isJapanese(error)) << error;
        error.clear();
        EXPECT_EQ(profile.saveIfUnchanged(&error), WriteResult::Failed);
        EXPECT_TRUE(isJapanese(error)) << error;
        EXPECT_TRUE(row.stillThere(path));
        EXPECT_EQ(entriesOf(dir.path()), Names{"data.ini"});

        int rounds = 0;
        error.clear();
        EXPECT_EQ(updateProfileFile(
                      path.string(), [&](ProfileFile&) { return ++rounds > 0; }, &error),
                  UpdateResult::Failed);
        EXPECT_EQ(rounds, 0);
        EXPECT_TRUE(isJapanese(error)) << error;
        EXPECT_TRUE(row.stillThere(path));

        // The real file is back (the network came back): what this profile
        // holds is still not what the file holds, so it must not go over it.
        fs::remove(path);
        writeBytes(path, kOld);
        error.clear();
        EXPECT_FALSE(profile.save(&error));
        EXPECT_TRUE(isJapanese(error)) << error;
        EXPECT_EQ(profile.saveIfUnchanged(&error), WriteResult::Failed);
        EXPECT_EQ(readBytes(path), kOld);
        EXPECT_EQ(entriesOf(dir.path()), Names{"data.ini"});
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check(row);
    }
}

TEST(ProfileFileGuard, SaveIfUnchangedKeepsAnotherComputersSave) {
    const std::string theirs = "[S]\r\nk=old value\r\ntheirs=1\r\n";
    TempDir dir;
    const std::string path = dir.file("data.ini");
    writeBytes(path, kOld);
    ProfileFile ours(path);
    ASSERT_EQ(ours.load(), ReadOutcome::Read);
    ours.writeString("S", "ours", "1");

    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, theirs, &error)) << error;
    EXPECT_EQ(ours.saveIfUnchanged(&error), WriteResult::Changed);
    EXPECT_EQ(readBytes(path), theirs);

    ASSERT_EQ(ours.load(), ReadOutcome::Read);
    ours.writeString("S", "ours", "1");
    EXPECT_EQ(ours.saveIfUnchanged(&error), WriteResult::Written) << error;
    // After its own save the profile counts as read from what it wrote.
    ours.writeString("S", "again", "2");
    EXPECT_EQ(ours.saveIfUnchanged(&error), WriteResult::Written) << error;
    EXPECT_EQ(readBytes(path), "[S]\r\nk=old value\r\ntheirs=1\r\nours=1\r\nagain=2\r\n");

    // A profile of a missing file loses to another computer that creates it.
    const std::string fresh = dir.file("fresh.ini");
    ProfileFile late(fresh);
    ASSERT_EQ(late.load(), ReadOutcome::Missing);
    late.writeString("S", "ours", "1");
    writeBytes(fresh, theirs);
    EXPECT_EQ(late.saveIfUnchanged(&error), WriteResult::Changed);
    EXPECT_EQ(readBytes(fresh), theirs);
}

TEST(ProfileFileGuard, AnUpdateStartsAgainWhenAnotherComputerSavedBetween) {
    TempDir dir;
    const std::string path = dir.file("data.ini");
    writeBytes(path, "[S]\r\nbase=1\r\n");
    int rounds = 0;
    std::string error;
    ProfileFile done;
    const UpdateResult result = updateProfileFile(
        path,
        [&](ProfileFile& file) {
            if (++rounds == 1) {
                std::string theirError;
                EXPECT_TRUE(writeFileAtomically(path, "[S]\r\nbase=1\r\nother=2\r\n", &theirError)) << theirError;
            }
            return file.writeString("S", "ours", "3");
        },
        &error, &done);
    EXPECT_EQ(result, UpdateResult::Written) << error;
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(readBytes(path), "[S]\r\nbase=1\r\nother=2\r\nours=3\r\n");
    EXPECT_EQ(done.read("S", "other"), "2");
    EXPECT_EQ(done.read("S", "ours"), "3");
    EXPECT_EQ(entriesOf(dir.path()), Names{"data.ini"});
}

TEST(ProfileFileGuard, AnUpdateThatDeclinesWritesNothing) {
    for (const bool exists : {true, false}) {
        SCOPED_TRACE(exists ? "existing file" : "missing file");
        TempDir dir;
        const fs::path path = dir.path() / "data.ini";
        if (exists) {
            writeBytes(path, kOld);
            fs::last_write_time(path, fs::file_time_type::clock::now() - 24h);
        }
        const auto before = fileStamp(path.string());
        int rounds = 0;
        std::string error;
        const UpdateResult result = updateProfileFile(
            path.string(),
            [&](ProfileFile& file) {
                ++rounds;
                file.writeString("S", "k", "edited, then thought better of");
                return false;
            },
            &error);
        EXPECT_EQ(result, UpdateResult::Declined) << error;
        EXPECT_EQ(rounds, 1);
        EXPECT_EQ(fileStamp(path.string()), before) << "bytes, inode or time changed";
        if (exists) {
            EXPECT_EQ(readBytes(path), kOld);
        }
        EXPECT_EQ(entriesOf(dir.path()), exists ? Names{"data.ini"} : Names{});
    }
}

// Two computers' read-modify-writes must not interleave: a check right before
// the rename cannot stop another computer's whole save landing after it.
TEST(WriteGuardTest, OneWriterAtATimeAndACrashedOneIsBrokenWhenStale) {
    TempDir dir;
    const std::string data = dir.file("Schedule.dat");
    writeBytes(data, "[DAY]\r\n");
    {
        auto first = WriteGuard::acquire(data, 0);
        ASSERT_TRUE(first.has_value());
        EXPECT_TRUE(fs::exists(data + ".lock"));
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(WriteGuard::acquire(data, 100, &error).has_value());
        EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms) << "it waits before giving up";
        EXPECT_EQ(error, "他のコンピュータが保存中のため書き込めません");
        // An update waits for the guard too, and gives up with the same reason.
        std::string updateError;
        auto waiting = std::async(std::launch::async, [&] {
            return updateProfileFile(
                data, [](ProfileFile& f) { return f.writeString("DAY", "2027/01/01", "x"); }, &updateError);
        });
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(readBytes(data), "[DAY]\r\n") << "nothing written while another writer holds the guard";
        first.reset();
        EXPECT_EQ(waiting.get(), UpdateResult::Written);
    }
    EXPECT_FALSE(fs::exists(data + ".lock")) << "released with the update";

    // A marker a crash left behind blocks others only until it is stale.
    writeBytes(data + ".lock", "");
    const auto old = fs::file_time_type::clock::now() - std::chrono::seconds(WriteGuard::kStaleWriteGuardSeconds + 30);
    fs::last_write_time(data + ".lock", old);
    EXPECT_TRUE(WriteGuard::acquire(data, 0).has_value());
    writeBytes(data + ".lock", "");
    EXPECT_FALSE(WriteGuard::acquire(data, 0).has_value()) << "a fresh marker is another writer's";
}
