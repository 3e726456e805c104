// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/mounts.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>

namespace corvelle::test {

Mounted::Mounted(const std::string& source, const std::string& where, const char* type,
                 unsigned long flags)
    : target(where) {
    ok = mount(source.c_str(), where.c_str(), type, flags, nullptr) == 0;
}

Mounted::~Mounted() {
    if (ok)
        umount2(target.c_str(), MNT_DETACH);
}

LoopMounted::LoopMounted(const std::string& where) : target(where), image(where + ".img") {
    if (geteuid() != 0)
        return;
    const std::string make = "truncate -s 16M '" + image + "' && mkfs.ext4 -q '" + image +
                             "' && mount -o loop '" + image + "' '" + where + "' 2>/dev/null";
    ok = std::system(make.c_str()) == 0;
}

LoopMounted::~LoopMounted() {
    if (ok)
        umount2(target.c_str(), MNT_DETACH);
    unlink(image.c_str());
}

}  // namespace corvelle::test
