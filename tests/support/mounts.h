// SPDX-License-Identifier: GPL-3.0-or-later
// Mounts for tests that need another file system inside a tree; each is undone before the
// test folder is removed (declare it after the TestDir). Not permitted without root: ok false.
#pragma once

#include <string>

namespace corvelle::test {

struct Mounted {
    std::string target;
    bool ok = false;
    Mounted(const std::string& source, const std::string& where, const char* type,
            unsigned long flags);
    ~Mounted();
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;
};

// A small ext4 file system (a real disk's kind, unlike tmpfs) from an image file, on a loop
// device, at `where`.
struct LoopMounted {
    std::string target;
    std::string image;
    bool ok = false;
    explicit LoopMounted(const std::string& where);
    ~LoopMounted();
    LoopMounted(const LoopMounted&) = delete;
    LoopMounted& operator=(const LoopMounted&) = delete;
};

}  // namespace corvelle::test
