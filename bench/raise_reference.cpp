// SPDX-License-Identifier: GPL-3.0-or-later
// The least a raise can cost: for every ROOT/rK/inner, rename each entry up a level and
// remove the emptied folder. The reference the tidy execution is measured against.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

static std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                out.push_back(n);
        }
        closedir(d);
    }
    return out;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string root = argv[1];
    int rows = 0;
    for (const std::string& r : Names(root)) {
        const std::string parent = root + "/" + r;
        const std::string inner = parent + "/inner";
        const std::vector<std::string> entries = Names(inner);
        if (entries.empty())
            continue;
        for (const std::string& e : entries)
            if (rename((inner + "/" + e).c_str(), (parent + "/" + e).c_str()) != 0)
                return 1;
        if (rmdir(inner.c_str()) != 0)
            return 1;
        ++rows;
    }
    std::printf("rows %d\n", rows);
    return 0;
}
