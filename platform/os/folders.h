// SPDX-License-Identifier: GPL-3.0-or-later
// Folders the process knows about, and the small system calls the helpers need.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "util/error.h"

namespace corvelle {

// The folder holding the program file, ending in "/"; tests may point it elsewhere.
std::string ProgramFolder();
// The folder of the running executable itself (ProgramFolder unless a test moved it).
std::string ExecutableFolder();
void SetProgramFolder(const std::string& folder);

// The process's current folder, ending in "/" ("" when it cannot be read).
std::string CurrentFolder();

// True when the path names an existing item (a dangling link counts: the name exists).
bool FileExists(const std::string& path);
// True when the path is a folder (or a link to one).
bool FolderExists(const std::string& path);
// True when the process can make folder current; the current folder is then set back to back.
bool DirCanChange(const std::string& folder, const std::string& back);
// True when the path is a folder or a link to one (`link` says whether it is a link).
bool IsFolderOrLinkToFolder(const std::string& path, bool& link);
// False only when the folder surely holds no sub-folder (a folder's link count of 2 says so
// where the file system keeps one); true when it may.
bool MayHaveSubfolders(const std::string& path);
// The tops of the folder tree: "/" here; on Windows each fixed and removable drive's root
// ("C:\\"), in letter order.
std::vector<std::string> FolderTreeRoots();
// True where a name finds its item whatever the letter case (Windows).
bool NamesIgnoreCase();
// The roots of the fixed and removable drives of a drive bit mask (bit 0 = A:): network drives
// can hang the tree for seconds and optical ones spin up. The Windows FolderTreeRoots is this
// over the system's drives.
enum class DriveKind { Fixed, Removable, Network, Optical, RamDisk, Unknown };
std::vector<std::string> DriveRoots(unsigned long mask, DriveKind (*kindOf)(char letter));
// The last-resort folder: the user's home folder, or "".
std::string WindowsDirGet();
// True when the stream is a terminal (a person watching), not a file or a pipe.
bool IsTerminal(std::FILE* stream);
// True when something reads the stream as it comes: a terminal, a pipe or a socket (not a
// file, nor the null device).
bool IsStreamed(std::FILE* stream);
// The program's arguments as UTF-8 (on Windows from the wide command line: argv there holds
// only what fits the code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);
// Standard output and error write bytes as they are (no "\n" to "\r\n" on Windows), and a
// console shows UTF-8.
void PrepareStandardStreams();
// A program without a console of its own (the window program on Windows) writes its standard
// output and error to the console it was started from, where there is one and they lead
// nowhere else.
void UseParentConsole();
// Makes the folder and any missing parents (mode 0700 for new ones).
bool MakeFolders(const std::string& path);
// Creates parent/name (one level). 0 on success; 99 after telling the user why not.
int MkDirIn(const std::string& parent, const std::string& name);
// The same without a message box.
Error MakeFolderIn(const std::string& parent, const std::string& name);

}  // namespace corvelle
