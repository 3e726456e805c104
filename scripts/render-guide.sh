#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders build/guide.pdf to PNG pages (build/guide-pages/) to look at.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v pdftoppm >/dev/null || { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq poppler-utils >/dev/null; }
cmake --build build --target guide >/dev/null
rm -rf build/guide-pages && mkdir -p build/guide-pages
pdftoppm -r 60 -png build/guide.pdf build/guide-pages/page
ls build/guide-pages
