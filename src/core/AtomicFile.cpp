#include "core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace velmora {

namespace {

std::string reasonFor(const std::error_code& ec) {
    switch (static_cast<std::errc>(ec.value())) {
    case std::errc::no_space_on_device:
        return "ディスクの空き容量が足りません";
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
    case std::errc::read_only_file_system:
        return "書き込みが許可されていません";
    case std::errc::no_such_file_or_directory:
    case std::errc::not_a_directory:
        return "保存先のフォルダが見つかりません";
    default:
        return "書き込みに失敗しました (" + ec.message() + ")";
    }
}

std::string temporaryNameFor(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return target.string() + suffix;
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         const AtomicWriteOptions& options) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path temp(temporaryNameFor(target));
    const auto fail = [&](const std::error_code& ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        if (error) {
            *error = reasonFor(ec);
        }
        return false;
    };

    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        return fail(std::make_error_code(std::errc::no_such_file_or_directory));
    }
    // A file the user made read-only is refused, as it would be on a shared
    // drive, even where the folder would let us replace it.
    if (fs::exists(target, ec)) {
        constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if ((fs::status(target, ec).permissions() & anyWrite) == fs::perms::none) {
            if (error) {
                *error = "読み取り専用のファイルです";
            }
            return false;
        }
    }
    errno = 0;
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        return fail(std::error_code(errno ? errno : EIO, std::generic_category()));
    }
    std::size_t toWrite = bytes.size();
    bool injected = false;
    if (options.failAfterBytes && *options.failAfterBytes < toWrite) {
        toWrite = *options.failAfterBytes;
        injected = true;
    }
    errno = 0;
    const std::size_t written = toWrite ? std::fwrite(bytes.data(), 1, toWrite, f) : 0;
    int writeErrno = errno;
    const bool flushed = std::fflush(f) == 0;
    if (!flushed && !writeErrno) {
        writeErrno = errno;
    }
    const bool closed = std::fclose(f) == 0;
    if (!closed && !writeErrno) {
        writeErrno = errno;
    }
    if (injected) {
        return fail(std::make_error_code(std::errc::no_space_on_device));
    }
    if (written != toWrite || !flushed || !closed) {
        return fail(std::error_code(writeErrno ? writeErrno : EIO, std::generic_category()));
    }
    // Keep the old file's permissions: a file made read-only by the user stays so.
    if (fs::exists(target, ec)) {
        const auto perms = fs::status(target, ec).permissions();
        if (!ec) {
            fs::permissions(temp, perms, ec);
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        return fail(ec);
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return s.str();
}

} // namespace velmora
