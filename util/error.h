// SPDX-License-Identifier: GPL-3.0-or-later
// Error values passed up from the core; window code turns them into message boxes.
#pragma once

#include <string>

namespace corvelle {

// Error numbers the program reacts to by number.
enum ErrNo : int {
    kErrEndQuietly = -1,  // a step that ends its command without a message
    kErrNone = 0,
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrSubscript = 9,
    kErrTypeMismatch = 13,
    kErrFileNotFound = 53,
    kErrPathNotFound = 76,
    kErrFileExists = 58,
    kErrPermission = 70,
    kErrDiskFull = 61,
    kErrPathFile = 75,
    kErrIo = 57,
    kErrNoSuchElement = 340,
    kErrMissingElement = 35601,
};

struct Error {
    int number = kErrNone;
    std::string description;

    explicit operator bool() const { return number != kErrNone; }
};

// The standard description of a program error number.
std::string ErrorText(int number);
Error MakeError(int number);
// An error from a failed system call: the number classifies errno, the text is the system's.
Error SystemError(int err, const std::string& what = {});

}  // namespace corvelle
