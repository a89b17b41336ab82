#pragma once

#include "core/UserFeedback.h"
#include "schedule/ChangeWatch.h"

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

// The cooperative user lock kept in the file's COMPUTER section. Interactive:
// allowed when the lock is ours already, or when it is free and this computer
// takes it (asking first when another computer owns the file; Cancel leaves
// LASTUPDATEUSER "CANCEL"). Quiet: allowed when the lock is ours, or free on a
// file this computer owns. A stale lock is never broken. Messages go to
// `feedback` (when `showMessages`); the file's watch is stopped while the lock
// is held. Refused when the file is missing or read-only.
bool acquireLock(bool ownsFile, const std::string& computerName, const std::string& path, LockMode mode,
                 bool showMessages, ChangeWatch& watch, UserFeedback& feedback);

} // namespace velmora
