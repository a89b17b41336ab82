#pragma once

#include "core/UserFeedback.h"
#include "schedule/ChangeWatch.h"

#include <cstddef>
#include <string>

namespace velmora {

// The ownership of a shared data file as this computer sees it, from the
// file's COMPUTER section.
struct FileOwnership {
    std::string owner;        // COMPUTER/COMPUTER: a computer name or "ALLUSER"
    bool ownsFile = false;    // owner is this computer, or the file is for all users
    bool forAllUsers = false; // owner is "ALLUSER" in any letter case

    static FileOwnership from(const std::string& owner, const std::string& computerName);
};

// Whether the text names the all-users owner ("ALLUSER", any letter case).
bool isAllUsers(const std::string& owner);

enum class LockMode {
    Interactive, // before an interactive edit: takes the lock, may ask the owner question
    Quiet,       // before a save: never writes, never asks
};

class ProfileFile;

// The quiet rule over a file as just read: the lock is ours, or free on a
// file this computer owns.
bool quietLockAllows(const ProfileFile& file, bool ownsFile, const std::string& computerName);

// What the file held around a lock: `before` digests the version the decision
// was made on (before our own write), `after` the version the call left.
struct LockContent {
    std::size_t before = 0;
    std::size_t after = 0;
};

// The cooperative user lock kept in the file's COMPUTER section. Interactive:
// allowed when the lock is ours already, or when it is free and this computer
// takes it (asking first when another computer owns the file; Cancel leaves
// LASTUPDATEUSER "CANCEL"). Quiet: allowed when the lock is ours, or free on a
// file this computer owns. A stale lock is never broken. Messages go to
// `feedback` (when `showMessages`); the file's watch is stopped while the lock
// is held. Refused when the file is missing, read-only or cannot be read
// (nothing is written then). The lock is written by a read-modify-write of the
// file as it is at that moment, so another computer's save that lands
// meanwhile is never undone.
bool acquireLock(bool ownsFile, const std::string& computerName, const std::string& path, LockMode mode,
                 bool showMessages, ChangeWatch& watch, UserFeedback& feedback, LockContent* content = nullptr);

// Frees a lock this computer holds without saving anything else (after a
// failed save, or an edit that cannot go on): UPDATEUSER empty and
// LASTUPDATEUSER "CANCEL", so that nobody reloads for it. False when the
// lock is not ours or the file could not be read or written.
bool releaseLockOnly(const std::string& computerName, const std::string& path, LockContent* content = nullptr);

} // namespace velmora
