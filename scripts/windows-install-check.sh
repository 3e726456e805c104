#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer as a silent install and uninstall under Wine: the files, the Start menu entry,
# the "Apps & features" entry and Explorer's folder menu entry come and go; the user's settings and run journals stay (a
# silent uninstall keeps them). Wine's variables (WINEPREFIX …) come from the caller.
#   scripts/windows-install-check.sh build-win/Corvelle-<version>-setup.exe
set -euo pipefail
setup=$(realpath "$1")
version=$(basename "$setup" | sed -n 's/^Corvelle-\(.*\)-setup\.exe$/\1/p')
fail() {
  echo "windows-install-check: $*" >&2
  exit 1
}
unix() { winepath -u "$1" 2>/dev/null; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvelle'

wine "$setup" /S
wineserver -w
local_app=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
programs=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')'\Microsoft\Windows\Start Menu\Programs'
dir=$(unix "$local_app\\Programs\\Corvelle")
for f in corvelle.exe corvelle-tidy.exe guide.pdf readme.txt uninstall.exe; do
  [ -s "$dir/$f" ] || fail "not installed: $dir/$f"
done
[ -f "$(unix "$programs\\Corvelle.lnk")" ] || fail "no Start menu entry"
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$entry" || fail "Apps & features lacks version $version"
grep -q 'QuietUninstallString' <<<"$entry" || fail "Apps & features lacks the uninstaller"
# Explorer's folder and drive menus start Corvelle on the folder.
for k in Directory Drive; do
  cmd=$(wine reg query "HKCU\\Software\\Classes\\$k\\shell\\Corvelle\\command" 2>/dev/null | tr -d '\r')
  grep -q 'corvelle.exe" "%V"' <<<"$cmd" || fail "no Explorer menu entry on $k: $cmd"
done
# The installed tool runs from where it was put.
said=$(wine "$local_app\\Programs\\Corvelle\\corvelle-tidy.exe" --version | tr -d '\r')
[ "$said" = "corvelle-tidy $version" ] || fail "the installed corvelle-tidy.exe says '$said'"
echo "installed to $local_app\\Programs\\Corvelle with its Start menu, Apps & features and Explorer menu entries"

# The user's own: settings beside the program and a run journal.
printf 'CurrentDirectory=C:\\\r\n' >"$dir/RUZO.INI"
journals=$(unix "$local_app\\Corvelle\\journal")
mkdir -p "$journals"
echo kept >"$journals/install-check.journal"
wine "$dir/uninstall.exe" /S
wineserver -w
for f in corvelle.exe corvelle-tidy.exe guide.pdf readme.txt uninstall.exe; do
  [ ! -e "$dir/$f" ] || fail "left behind: $f"
done
[ ! -e "$(unix "$programs\\Corvelle.lnk")" ] || fail "Start menu entry left behind"
! wine reg query "$key" >/dev/null 2>&1 || fail "Apps & features entry left behind"
for k in Directory Drive; do
  ! wine reg query "HKCU\\Software\\Classes\\$k\\shell\\Corvelle" >/dev/null 2>&1 ||
    fail "Explorer menu entry on $k left behind"
done
[ -f "$dir/RUZO.INI" ] || fail "the settings were removed without asking"
[ -f "$journals/install-check.journal" ] || fail "the journals were removed without asking"
rm -rf "$dir" "$journals/install-check.journal"
echo "uninstalled: files and entries gone, settings and journals kept"
