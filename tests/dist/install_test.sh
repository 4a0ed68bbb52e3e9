#!/usr/bin/env bash
# The installer under Wine, in a prefix of its own: a silent installation for
# all users in traditional Chinese, the installed program started until its
# toolbar answers and shut down, a silent uninstallation that keeps the
# settings; then one for the current user with start at logon, uninstalled
# with the settings. Writes its results as a GoogleTest-style XML file.
#   install_test.sh PREFIX PACKAGE_DIR PROBE_EXE RESULTS_XML
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env"

prefix=$(realpath -m "$1") package=$(realpath -m "$2") probe=$(realpath -m "$3") results=$(realpath -m "$4")
setup=$(ls "$package"/Zhorvan-*-setup.exe 2>/dev/null | head -n 1)
version=${setup##*/Zhorvan-}
version=${version%-setup.exe}
stage=$package/Zhorvan

zh_wine_env "$prefix"
ZH_XVFB_PID=
[ -n "${DISPLAY:-}" ] || zh_start_xvfb || exit 1
zh_wineserver_keep
trap 'zh_wineserver_stop; zh_stop_xvfb' EXIT

c=$WINEPREFIX/drive_c
dir_unix=$c/zhdist/Zhorvan
dir_win='C:\zhdist\Zhorvan'
settings=$c/ProgramData/Zhorvan/Zhorvan.INI
profile=$c/users/$(id -un)
common_menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
user_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
uninst_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Zhorvan'

# One test case after another: begin NAME, then checks; a failed check adds
# its message to the case.
cases=() failures=() current='' current_failed='' t0=$(date +%s)
begin() { finish; current=$1 current_failed=; echo "== $1"; }
finish() {
  [ -n "$current" ] || return 0
  cases+=("$current")
  failures+=("$current_failed")
  [ -n "$current_failed" ] && echo "FAILED: $current"
  current=
}
fail() { echo "  failure: $*"; current_failed+="$*"$'\n'; }
check() {  # check MESSAGE COMMAND...
  local message=$1; shift
  "$@" || fail "$message"
}
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g'; }
write_results() {
  finish
  local n=${#cases[@]} f=0 i
  for i in "${!cases[@]}"; do [ -n "${failures[$i]}" ] && f=$((f + 1)); done
  mkdir -p "$(dirname "$results")"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"$n\" failures=\"$f\" disabled=\"0\" errors=\"0\" time=\"$(($(date +%s) - t0))\" name=\"AllTests\">"
    echo "  <testsuite name=\"DistInstall\" tests=\"$n\" failures=\"$f\" disabled=\"0\" errors=\"0\">"
    for i in "${!cases[@]}"; do
      if [ -n "${failures[$i]}" ]; then
        echo "    <testcase name=\"${cases[$i]}\" classname=\"DistInstall\">"
        echo "      <failure message=\"$(printf '%s' "${failures[$i]}" | head -n 1 | xml_escape)\">$(printf '%s' "${failures[$i]}" | xml_escape)</failure>"
        echo "    </testcase>"
      else
        echo "    <testcase name=\"${cases[$i]}\" classname=\"DistInstall\" />"
      fi
    done
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$results"
  echo "dist_install: $((n - f)) of $n cases passed in $(($(date +%s) - t0)) s"
  [ "$f" -eq 0 ]
}

# read_key ROOT: reads the uninstall key once; reg_value VALUE then gives a
# value of it, empty when absent.
read_key() { key_text=$(wine reg query "$1\\$uninst_key" </dev/null 2>/dev/null | tr -d '\r'); }
reg_value() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$key_text"; }
reg_key_absent() { ! wine reg query "$1\\$uninst_key" </dev/null >/dev/null 2>&1; }
# ini_value FILE SECTION KEY
ini_value() {
  tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '/^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}
# A shortcut names its target in the system code page and in UTF-16.
link_names() {
  local ansi utf16
  [ -f "$1" ] || return 1
  ansi=$(printf '%s' "$2")
  utf16=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
  grep -qaF "$ansi" "$1" || od -An -v -tx1 "$1" | tr -d ' \n' | grep -q "$utf16"
}
# Waits for the uninstaller (it runs on from a copy of itself) to remove the folder.
wait_gone() {
  local i
  for i in $(seq 150); do [ -e "$1" ] || return 0; sleep 0.2; done
  return 1
}
# The files of the package, as installed: same bytes, same time to the second.
installed_as_packaged() {
  local f name ok=0
  for f in "$stage"/*; do
    name=${f##*/}
    [ "$name" = TesmarelUI.ini ] && continue
    if ! cmp -s "$f" "$dir_unix/$name"; then echo "  $name differs or is missing"; ok=1; continue; fi
    if [ "$(stat -c %Y "$f")" != "$(stat -c %Y "$dir_unix/$name")" ]; then echo "  $name lost its time"; ok=1; fi
  done
  return $ok
}
# The installed TesmarelUI.ini: the packaged bytes followed by the language.
strings_file_with_language() {
  local size expected
  size=$(stat -c %s "$stage/TesmarelUI.ini")
  cmp -s -n "$size" "$stage/TesmarelUI.ini" "$dir_unix/TesmarelUI.ini" || return 1
  expected=$(printf '\r\n[Config]\r\nUILanguage=%s\r\n' "$1" | od -An -v -tx1)
  [ "$(tail -c +$((size + 1)) "$dir_unix/TesmarelUI.ini" | od -An -v -tx1)" = "$expected" ]
}

# A clean start: what an earlier, interrupted run may have left.
if [ -e "$c/zhdist" ] || [ -e "$c/ProgramData/Zhorvan" ] || grep -q 'Uninstall\\\\Zhorvan\]' "$WINEPREFIX"/*.reg 2>/dev/null; then
  rm -rf "$c/zhdist" "$c/ProgramData/Zhorvan" "$common_menu/Zhorvan.lnk" "$user_menu/Zhorvan.lnk" "$user_menu/StartUp/Zhorvan.lnk"
  wine reg delete "HKLM\\$uninst_key" /f </dev/null >/dev/null 2>&1
  wine reg delete "HKCU\\$uninst_key" /f </dev/null >/dev/null 2>&1
fi

begin package
check "no setup.exe in $package" test -f "$setup"
check "no version in the setup's name" test -n "$version"
check "no program folder $stage" test -f "$stage/Zhorvan.exe"
if [ -n "$current_failed" ]; then write_results; exit 1; fi

begin install_all_users_traditional_chinese
start=$(date +%s.%N)
wine "$setup" /S /LANG=2 "/D=$dir_win" </dev/null >/dev/null 2>&1
status=$?
echo "  installed in $(echo "$(date +%s.%N) - $start" | bc) s"
check "the installer exited with $status" test "$status" -eq 0
check "the installed files differ from the package" installed_as_packaged
check "TesmarelUI.ini does not end in UILanguage=2 of [Config]" strings_file_with_language 2
check "no uninstaller" test -f "$dir_unix/uninstall.exe"
check "nothing but the package and the uninstaller installed" \
  test "$(ls "$dir_unix" | sort)" = "$( (ls "$stage"; echo uninstall.exe) | sort)"
read_key HKLM
check "Add/Remove Programs: DisplayName" test "$(reg_value DisplayName)" = Zhorvan
check "Add/Remove Programs: DisplayVersion" test "$(reg_value DisplayVersion)" = "$version"
check "Add/Remove Programs: InstallLocation" test "$(reg_value InstallLocation)" = "$dir_win"
check "Add/Remove Programs: UninstallString" test "$(reg_value UninstallString)" = "\"$dir_win\\uninstall.exe\" /AllUsers"
check "a per-user entry in Add/Remove Programs" reg_key_absent HKCU
check "no Start-menu shortcut to the program" link_names "$common_menu/Zhorvan.lnk" "$dir_win\\Zhorvan.exe"
check "a start-up shortcut without being asked" test ! -e "$user_menu/StartUp/Zhorvan.lnk"
check "a settings file before the program ran" test ! -e "$settings"

begin installed_program_starts
cache_time=$(stat -c %Y "$dir_unix/workdata2.bin" 2>/dev/null)
output=$(wine "$probe" "$dir_win\\Zhorvan.exe" 40 </dev/null 2>/dev/null | tr -d '\r')
status=$?
echo "$output" | sed 's/^/  /'
check "the probe ended with $status" test "$status" -eq 0
check "no 52 x 22 toolbar" grep -q 'toolbar 52x22 ' <<<"$output"
check "the program made no settings file" test -f "$settings"
if [ -f "$settings" ]; then
  check "the settings file does not start with its comment line" test "$(head -n 1 "$settings" | tr -d '\r')" = ";Init file for Zhorvan"
  check "UILanguage of the new settings file is not the installer's 2" test "$(ini_value "$settings" Config UILanguage)" = 2
  check "the exit did not save the settings" test -n "$(ini_value "$settings" TOPFRAME Left)"
fi
check "the word list's cache was made anew (its stamp did not match)" \
  test "$(stat -c %Y "$dir_unix/workdata2.bin" 2>/dev/null)" = "$cache_time"
check "the cache changed" cmp -s "$stage/workdata2.bin" "$dir_unix/workdata2.bin"

# Uninstalled while the program runs: the uninstaller shuts it down, and its
# exit saves the settings it read.
begin uninstall_keeps_settings
check "no installation to uninstall" test -f "$dir_unix/uninstall.exe"
cp "$settings" "$package/settings-before-uninstall.ini" 2>/dev/null
wine "$probe" --leave "$dir_win\\Zhorvan.exe" 40 </dev/null >"$package/probe-leave.log" 2>&1
check "the program did not start: $(tr -d '\r' <"$package/probe-leave.log")" grep -q 'toolbar 52x22 ' "$package/probe-leave.log"
wine "$dir_win\\uninstall.exe" /S </dev/null >/dev/null 2>&1
check "the installation folder is left" wait_gone "$dir_unix"
[ -e "$dir_unix" ] && ls -la "$dir_unix" | sed 's/^/  /'
check "the Start-menu shortcut is left" test ! -e "$common_menu/Zhorvan.lnk"
check "the Add/Remove Programs entry is left" reg_key_absent HKLM
check "the user's settings file is gone or changed" cmp -s "$package/settings-before-uninstall.ini" "$settings"
check "the program still runs" bash -c '! wine "$1" --find </dev/null >/dev/null 2>&1' - "$probe"

begin install_current_user_start_at_logon
wine "$setup" /S /CurrentUser /STARTUP=1 /LANG=3 "/D=$dir_win" </dev/null >/dev/null 2>&1
status=$?
check "the installer exited with $status" test "$status" -eq 0
check "the installed files differ from the package" installed_as_packaged
check "TesmarelUI.ini does not end in UILanguage=3 of [Config]" strings_file_with_language 3
read_key HKCU
check "Add/Remove Programs (current user): InstallLocation" test "$(reg_value InstallLocation)" = "$dir_win"
check "Add/Remove Programs (current user): UninstallString" \
  test "$(reg_value UninstallString)" = "\"$dir_win\\uninstall.exe\" /CurrentUser"
check "an all-users entry in Add/Remove Programs" reg_key_absent HKLM
check "no Start-menu shortcut of the current user" link_names "$user_menu/Zhorvan.lnk" "$dir_win\\Zhorvan.exe"
check "no start-up shortcut to the program" link_names "$user_menu/StartUp/Zhorvan.lnk" "$dir_win\\Zhorvan.exe"
check "no settings file" test -f "$settings"
if [ -f "$settings" ]; then
  check "StartupAtBoot is not 1 in the settings" test "$(ini_value "$settings" Config StartupAtBoot)" = 1
  check "the user's UILanguage was changed" test "$(ini_value "$settings" Config UILanguage)" = 2
fi
# The program's own files beside it: its combo-box histories.
[ -d "$dir_unix" ] && echo history >"$dir_unix/combomruFind.bin"

begin uninstall_removes_settings_when_asked
check "no installation to uninstall" test -f "$dir_unix/uninstall.exe"
wine "$dir_win\\uninstall.exe" /S /REMOVESETTINGS </dev/null >/dev/null 2>&1
check "the installation folder is left" wait_gone "$dir_unix"
[ -e "$dir_unix" ] && ls -la "$dir_unix" | sed 's/^/  /'
check "the start-up shortcut is left" test ! -e "$user_menu/StartUp/Zhorvan.lnk"
check "the Start-menu shortcut is left" test ! -e "$user_menu/Zhorvan.lnk"
check "the Add/Remove Programs entry is left" reg_key_absent HKCU
check "the settings folder is left" test ! -e "$c/ProgramData/Zhorvan"

write_results
