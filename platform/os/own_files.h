// SPDX-License-Identifier: GPL-3.0-or-later
// Files and folders that the program must trust because only the user can change them (the
// run journals): checked on opening, locked while in use, read in pieces, made durable.
// Each returns false (or an Error) with the system's reason when it fails.
#pragma once

#include <cstddef>
#include <string>

#include "platform/os/handles.h"
#include "util/error.h"

namespace corvelle {

// The folder at path, made (with any missing parents) private to the user when `create`
// says so; used only when it is a real folder of the user's that nobody else may write to
// (kErrJournalNotOwn otherwise; a link in its place fails with ELOOP).
Error OpenOwnFolder(const std::string& path, bool create, UniqueFd& dir);

// A file opened only when it is a regular file owned by the user, writable by nobody else,
// and not larger than maxBytes; a link, a FIFO or a device is never opened for real.
// Refusals: kErrNotAJournal (not a regular file), kErrJournalNotOwn, kErrJournalTooLarge.
Error OpenOwnFile(const std::string& path, bool append, long long maxBytes, UniqueFd& fd);

// A new file in dir, readable by the user alone, for appending; false when `name` exists.
bool CreateOwnFileAt(int dir, const std::string& name, UniqueFd& fd);

// Locks without waiting: false (errno EWOULDBLOCK) when another holder has it.
bool TryLock(int fd, bool exclusive);

// Reads up to size bytes at the current place: the count, 0 at the end, -1 on failure.
long ReadSome(int fd, char* buf, size_t size);
// Reads exactly size bytes at offset.
bool ReadAt(int fd, long long offset, char* buf, size_t size);
long long SizeOf(int fd);

// Makes a file's data, or a folder's entries, durable.
bool SyncData(int fd);
bool SyncFolder(int dir);

// Removes dir's entry `name` when it is not a folder (a link goes as the link itself).
bool RemoveFileAt(int dir, const std::string& name);
bool RemoveFile(const std::string& path);
// Seconds since the epoch of the last change of the item at path (not following a link);
// -1 when unknown.
long long ModifiedSeconds(const std::string& path);

}  // namespace corvelle
