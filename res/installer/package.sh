#!/usr/bin/env bash
# Packs a built Windows tree into OUT: the program's folder OUT/Zhorvan/ (the
# executable, the data files with their times kept, which tell the word list's
# cache whether it is current, the strings files, the guide, the welcome
# picture, the licences and README.txt), the portable zip and the installer.
#   package.sh [--folder] [--no-zip] [--fast] WIN64_TREE DATA_DIR OUT
# --folder makes the folder only, --no-zip leaves out the zip, --fast
# compresses the installer quickly (zlib instead of solid LZMA).
# Prints the paths it made. The version is the one the about box shows.
set -euo pipefail

zip=1 installer=1 compressor=
while [ $# -gt 0 ]; do
  case $1 in
    --folder) zip='' installer='' ;;
    --no-zip) zip= ;;
    --fast) compressor=zlib ;;
    -*) echo "package: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
if [ $# -ne 3 ]; then
  echo "usage: package.sh [--folder] [--no-zip] [--fast] WIN64_TREE DATA_DIR OUT" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
tree=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)

version=$(sed -n 's/.*"Version \([0-9][0-9.]*\)".*/\1/p' "$top/res/zhorvan.rc" | head -n 1)
if [ -z "$version" ]; then
  echo "package: no \"Version x.y\" line in res/zhorvan.rc" >&2
  exit 1
fi

stage=$out/Zhorvan
rm -rf "$stage"
mkdir -p "$stage"
cp -p "$tree/app/Zhorvan.exe" "$stage/"
for f in ch2pypz1.bin ch2pypz2.bin ch2py.bin cedict_ts.u8 workdata2.bin ZiPartsStd2.dat ZiPartsBaseStd2.dat \
         ZiDef.dic zi_ordered_by_usage.txt sort.dic gbk2b5.bin polyphone.bin \
         TesmarelUI.ini TesmarelUI_German.ini TesmarelUI_en.ini DATA-LICENSES.txt; do
  if [ -f "$data/$f" ]; then
    cp -p "$data/$f" "$stage/"
  else
    echo "package: $data/$f is missing; the program runs without it" >&2
  fi
done
cp -p "$tree/res/gen/welcome_tesmarel.jpg" "$stage/"
if [ -f "$tree/res/guide/ZhorvanGuide.chm" ]; then
  cp -p "$tree/res/guide/ZhorvanGuide.chm" "$stage/"
else
  echo "package: no quick guide in this tree ($tree/res/guide/ZhorvanGuide.chm); left out" >&2
fi
sed "s/@VERSION@/$version/" "$here/README.txt" | sed 's/$/\r/' >"$stage/README.txt"

# The installer and zip keep file times to two seconds, so every file gets an
# even second. The word list's cache carries the list's size and time (the
# last 24 bytes: "ZhWLstmp", size, seconds since 1970, little-endian); it
# gets the list's new time, when it was made from this list.
hex64() {  # hex64 N: N as 8 little-endian bytes, in hex
  local i
  for ((i = 0; i < 8; i++)); do printf '%02x' $((($1 >> (8 * i)) & 255)); done
}
list=$stage/cedict_ts.u8 cache=$stage/workdata2.bin
if [ -f "$list" ] && [ -f "$cache" ]; then
  list_time=$(stat -c %Y "$list")
  cache_size=$(stat -c %s "$cache")
  stamp=$(tail -c 24 "$cache" | od -An -v -tx1 | tr -d ' \n')
  expected=$(printf ZhWLstmp | od -An -v -tx1 | tr -d ' \n')$(hex64 "$(stat -c %s "$list")")$(hex64 "$list_time")
  if [ "$stamp" = "$expected" ]; then
    even=$((list_time / 2 * 2))
    cache_time=$(stat -c %Y "$cache")
    printf '%b' "$(hex64 "$even" | sed 's/../\\x&/g')" | dd of="$cache" bs=1 seek=$((cache_size - 8)) conv=notrunc status=none
    touch -d "@$cache_time" "$cache"
    touch -d "@$even" "$list"
  else
    echo "package: $cache was not made from $list; the program will make it anew" >&2
  fi
fi
for f in "$stage"/*; do
  touch -d "@$(($(stat -c %Y "$f") / 2 * 2))" "$f"
done
echo "$stage"

if [ -n "$zip" ]; then
  archive=$out/Zhorvan-$version-portable.zip
  rm -f "$archive"
  (cd "$out" && zip -q -r "$archive" Zhorvan)
  echo "$archive"
fi

[ -n "$installer" ] || exit 0

# The installer installs exactly the files of the folder, and its uninstaller
# deletes exactly those.
nsis=$(mktemp -d)
trap 'rm -rf "$nsis"' EXIT
for path in "$stage"/*; do
  name=$(basename "$path")
  [ -f "$path" ] || { echo "package: $path is not a file" >&2; exit 1; }
  echo "File \"$path\"" >>"$nsis/files.nsh"
  echo "Delete \"\$INSTDIR\\$name\"" >>"$nsis/unfiles.nsh"
done
setup=$out/Zhorvan-$version-setup.exe
defines=()
[ -f "$tree/res/gen/icon.ico" ] && defines+=("-DICON=$tree/res/gen/icon.ico")
[ -n "$compressor" ] && defines+=("-DCOMPRESSOR=$compressor")
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DFILES="$nsis/files.nsh" -DUNFILES="$nsis/unfiles.nsh" \
  -DOUTFILE="$setup" "${defines[@]}" "$here/zhorvan.nsi" >"$nsis/makensis.log" 2>&1 ||
  { cat "$nsis/makensis.log" >&2; exit 1; }
echo "$setup"
