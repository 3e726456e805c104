#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Only platform/ knows the operating system: no system header anywhere else in the program.
# Tests, benchmarks and fuzzers may build their fixtures with the system's own calls.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='#[[:space:]]*include[[:space:]]*<(unistd\.h|fcntl\.h|dirent\.h|strings\.h|pwd\.h|grp\.h|signal\.h|sys/[a-z_]+\.h|linux/[a-z_]+\.h|windows\.h|winternl\.h|shellapi\.h|io\.h)>'
if found=$(git grep -nE "$pattern" -- app browser shellops tidy ui util); then
  echo "System headers outside platform/:"
  echo "$found"
  exit 1
fi
echo "system headers: only in platform/"
