#!/bin/sh
# Runs the Windows program (build-windows/sorvek-cli.exe, scripts/build-windows.sh) under wine
# and holds it to the Linux program (build/sorvek-cli, or $SORVEK_LINUX_CLI): the help of /?,
# the bytes of /L, /C (also in parts) and /E on the samples, standard input and output as
# bytes, NUL, a Japanese folder name and a path beyond 260 characters on wine's C: drive, a
# failing job that keeps the old output, Ctrl+C, the messages in the console's page (932 under
# a Japanese locale, which is made for the run with localedef), the C API through sorvek.dll,
# and workbooks: their cells are the Linux program's (a build without the workbook writer
# refuses them and keeps the old output). The zip of scripts/package-windows.sh, when made, is
# unpacked into a Japanese folder and run from there. Bounded in time; the first start of wine
# sets up its prefix (under /tmp).
set -eu
cd "$(dirname "$0")/.."

EXE=build-windows/sorvek-cli.exe
LINUX_CLI="${SORVEK_LINUX_CLI:-build/sorvek-cli}"
[ -x "$EXE" ] || { echo "missing $EXE: run scripts/build-windows.sh" >&2; exit 2; }
[ -x "$LINUX_CLI" ] || { echo "missing $LINUX_CLI: build the Linux sorvek-cli" >&2; exit 2; }
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-/tmp/sorvek-wine-$(id -u)}"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# Wine takes the system's code page from the locale: Japanese Windows's 932.
if localedef -i ja_JP -f UTF-8 "$WORK/ja_JP.UTF-8" 2>/dev/null; then
  export LOCPATH="$WORK" LANG=ja_JP.UTF-8
  PAGE=CP932
else
  echo "no ja_JP locale: the messages are checked in wine's page" >&2
  PAGE=
fi
failures=0
win() { timeout 300 "$WINE" "$EXE" "$@"; }
check() {  # check NAME COMMAND...: passes when the command succeeds
  name=$1
  shift
  if "$@"; then printf 'ok   %s\n' "$name"; else printf 'FAIL %s\n' "$name"; failures=$((failures + 1)); fi
}

# The prefix is made at the first start.
win --version >/dev/null 2>&1

win '/?' >"$WORK/help.win"
"$LINUX_CLI" --help >"$WORK/help.linux"
check "/? shows the help" cmp -s "$WORK/help.win" "$WORK/help.linux"

job() {  # job NAME SWITCH INPUT PARAMETER: the Windows and Linux outputs are the same bytes
  win -q "$2" "$3" "$WORK/$1.win" "$4"
  "$LINUX_CLI" -q "$2" "$3" "$WORK/$1.linux" "$4"
  cmp -s "$WORK/$1.win" "$WORK/$1.linux"
}
check "/L record length" job len /L samples/orders.dat 100 2>/dev/null
check "/C records to CSV" job csv /C samples/orders.dat samples/orders.trd
check "/E line endings" job crlf /E samples/mixed-endings.txt CRLF

# Four jobs asked for on 20 MB of records: the same bytes, in parts where the machine runs them
# (a file this small, or two cores, runs as one job; the engine's tests under wine cover the parts).
for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14; do cat samples/orders.dat; done >"$WORK/big.dat"
for i in 1 2 3 4 5 6 7 8 9 10 11 12; do cat "$WORK/big.dat" "$WORK/big.dat" >"$WORK/twice.dat"; mv "$WORK/twice.dat" "$WORK/big.dat"; done
win -q --jobs 4 /C "$WORK/big.dat" "$WORK/big.win" samples/orders.trd
"$LINUX_CLI" -q --jobs 4 /C "$WORK/big.dat" "$WORK/big.linux" samples/orders.trd
check "/C in four jobs" cmp -s "$WORK/big.win" "$WORK/big.linux"

# "-": standard output as bytes, CR LF as two bytes.
win -q /E samples/mixed-endings.txt - CRLF >"$WORK/stdout.win"
check "standard output as bytes" cmp -s "$WORK/stdout.win" "$WORK/crlf.linux"

# "-" as input: a pipe read to its end.
cat samples/orders.dat | win -q /L - "$WORK/pipe.win" 100 2>/dev/null
check "standard input read to its end" cmp -s "$WORK/pipe.win" "$WORK/len.win"

# NUL takes the output as a device: written, never replaced.
check "NUL as the output" win -q /E samples/mixed-endings.txt NUL CRLF

# A Japanese folder on wine's C: drive, named as a Windows user types it; an old output there
# is replaced.
user=$(whoami)
folder="$WINEPREFIX/drive_c/users/$user/受注"
mkdir -p "$folder"
cp samples/orders.dat "$folder/202412.dat"
echo old >"$folder/202412.csv"
win -q /C "C:\\users\\$user\\受注\\202412.dat" "C:\\users\\$user\\受注\\202412.csv" samples/orders.trd
check "Japanese folder names" cmp -s "$folder/202412.csv" "$WORK/csv.linux"

# A path beyond 260 characters.
part="受注データの保存先フォルダ_0123456789012345678901234567890123456789"
deepen() {  # deepen WINDOWS UNIX COUNT: long, unix = the two paths COUNT folders of $part deeper
  long=$1
  unix=$2
  i=1
  while [ "$i" -le "$3" ]; do
    long="$long\\${part}_$i"
    unix="$unix/${part}_$i"
    i=$((i + 1))
  done
}
deepen "C:\\users\\$user" "$WINEPREFIX/drive_c/users/$user" 6
mkdir -p "$unix"
cp samples/orders.dat "$unix/202412.dat"
win -q /C "$long\\202412.dat" "$long\\202412.csv" samples/orders.trd
check "a path of $(printf %s "$long\\202412.csv" | LC_ALL=C.UTF-8 wc -m) characters" cmp -s "$unix/202412.csv" "$WORK/csv.linux"

# A failing job (its definition is missing) keeps the old output and leaves no temporary file.
echo old >"$folder/kept.csv"
status=0
win -q /C "C:\\users\\$user\\受注\\202412.dat" "C:\\users\\$user\\受注\\kept.csv" \
  "C:\\users\\$user\\受注\\none.trd" 2>"$WORK/failed.err" || status=$?
check "a failed job exits 1" [ "$status" -eq 1 ]
check "a failed job keeps the old output" [ "$(cat "$folder/kept.csv")" = old ]
check "a failed job leaves no temporary file" [ -z "$(ls -A "$folder" | grep sorvek- || true)" ]
if [ -n "$PAGE" ]; then
  iconv -f "$PAGE" -t UTF-8 "$WORK/failed.err" >"$WORK/failed.txt"
  check "messages in the console's page" \
    [ "$(tail -n 1 "$WORK/failed.txt")" = "ファイルまたはフォルダが存在しません。" ]
  sed 's/^/     /' "$WORK/failed.txt"
fi

# A build without the workbook writer (-DSORVEK_XLSX=OFF): --format xlsx is refused, the old
# output stays.
if grep -q '^SORVEK_XLSX:BOOL=OFF' build-windows/CMakeCache.txt; then
  echo old >"$folder/kept.xlsx"
  status=0
  win -q --format xlsx /C samples/orders.dat "C:\\users\\$user\\受注\\kept.xlsx" samples/orders.trd \
    2>/dev/null || status=$?
  check "--format xlsx refused" [ "$status" -eq 1 ]
  check "--format xlsx keeps the old output" [ "$(cat "$folder/kept.xlsx")" = old ]
fi

# Ctrl+C (wine makes SIGINT one) while the job waits on a pipe: the job stops, exit status 130,
# the old output stays, no temporary file is left. One press: timeout passes the signal on to
# the program alone (--foreground); without it, it sends it to its process group as well, the
# program gets two, and a second press is left to the system, which ends the process at once.
echo old >"$folder/stopped.len"
{ head -c 100000 "$WORK/big.dat"; sleep 10; } |
  timeout --foreground 300 "$WINE" "$EXE" -q /L - "C:\\users\\$user\\受注\\stopped.len" 100 \
    2>"$WORK/stopped.err" &
job=$!
sleep 5
kill -INT "$job"
status=0
wait "$job" || status=$?
check "Ctrl+C exits 130" [ "$status" -eq 130 ]
check "Ctrl+C keeps the old output" [ "$(cat "$folder/stopped.len")" = old ]
check "Ctrl+C leaves no temporary file" [ -z "$(ls -A "$folder" | grep sorvek- || true)" ]
[ -z "$PAGE" ] || iconv -f "$PAGE" -t UTF-8 "$WORK/stopped.err" | sed 's/^/     /'

# The C API through sorvek.dll and its import library: the bytes of /C, a failure's kind.
if [ -f build-windows/sorvek.dll ]; then
  x86_64-w64-mingw32-gcc-posix -O2 -Isrc/capi/include tests/windows/capi_convert.c \
    -Lbuild-windows -lsorvek -o "$WORK/capi_convert.exe"
  cp build-windows/sorvek.dll "$WORK/"
  capi() { timeout 300 "$WINE" "$WORK/capi_convert.exe" "$@"; }
  capi samples/orders.dat "$WORK/capi.csv" samples/orders.trd >/dev/null
  check "sorvek.dll converts" cmp -s "$WORK/capi.csv" "$WORK/csv.linux"
  check "sorvek.dll names a failure's kind" \
    [ "$(capi samples/orders.dat "$WORK/capi.csv" none.trd | head -n 1 | tr -d "\r")" = not_found ]
fi

# The check's report as JSON is the Linux program's, byte for byte, once the full paths it names
# are in one form: the Windows program names a file as Windows does, by the drive wine maps to /
# (Z:\work\...\orders.dat), the Linux one as /work/.../orders.dat. Only the two keys that name a
# file are made Linux's; every other byte is compared as written, and so is the exit status.
linux_form() {
  sed -E '/^  "(file|definition)": "/{s/"[A-Za-z]:(\\\\[^"]*)"/"\1"/;s/\\\\/\//g;}' "$1"
}
report() {  # report NAME ARGUMENTS...: the same JSON and exit status from both programs
  as=$1
  shift
  wstatus=0
  lstatus=0
  win -q --check --json "$@" >"$WORK/$as.win.json" 2>/dev/null || wstatus=$?
  "$LINUX_CLI" -q --check --json "$@" >"$WORK/$as.linux.json" 2>/dev/null || lstatus=$?
  linux_form "$WORK/$as.win.json" >"$WORK/$as.win-as-linux.json"
  [ "$wstatus" -eq "$lstatus" ] && cmp -s "$WORK/$as.win-as-linux.json" "$WORK/$as.linux.json" ||
    { diff "$WORK/$as.win-as-linux.json" "$WORK/$as.linux.json" | head -n 20; return 1; }
}
check "--check --json of records with their definition" report records "$PWD/samples/orders.dat" samples/orders.trd
check "--check --json of records alone" report alone samples/orders.dat
check "--check --json of a text" report text samples/mixed-endings.txt
check "--check --csv --json" report csv --csv samples/orders.csv samples/orders.trd

# UNC paths: wine reaches \\SERVER\SHARE through $WINEPREFIX/dosdevices/unc/SERVER/SHARE, a link
# to a folder, as Windows reaches a shared folder. A short path, and one beyond 260 characters
# (which the program gives the \\?\UNC\ prefix); an old output there is replaced.
share="sorvek-$$"
mkdir -p "$WINEPREFIX/dosdevices/unc/server" "$WORK/share/受注/$part"
ln -sfn "$WORK/share" "$WINEPREFIX/dosdevices/unc/server/$share"
cp samples/orders.dat "$WORK/share/受注/202412.dat"
echo old >"$WORK/share/受注/202412.csv"
unc="\\\\server\\$share\\受注"
win -q /C "$unc\\202412.dat" "$unc\\202412.csv" samples/orders.trd
check "a UNC path (\\\\server\\share\\受注\\202412.dat)" cmp -s "$WORK/share/受注/202412.csv" "$WORK/csv.linux"
deepen "$unc\\$part" "$WORK/share/受注/$part" 5
longunc=$long
longunix=$unix
mkdir -p "$longunix"
cp samples/orders.dat "$longunix/202412.dat"
win -q /C "$longunc\\202412.dat" "$longunc\\202412.csv" samples/orders.trd
check "a UNC path of $(printf %s "$longunc\\202412.csv" | LC_ALL=C.UTF-8 wc -m) characters" \
  cmp -s "$longunix/202412.csv" "$WORK/csv.linux"
rm -f "$WINEPREFIX/dosdevices/unc/server/$share"

# ---- The workbook writer and the zip -------------------------------------------------------
# A workbook written under wine, into a Japanese folder, holds the parts of the Linux
# program's, byte for byte (the sheets' cells, styles, workbook), all but docProps/core.xml,
# which carries the time it was made.
same_workbook() {  # same_workbook A B
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys, zipfile
def parts(path):
    with zipfile.ZipFile(path) as z:
        return {n: z.read(n) for n in z.namelist() if n != "docProps/core.xml"}
a, b = parts(sys.argv[1]), parts(sys.argv[2])
sys.exit(0 if a == b and any(n.startswith("xl/worksheets/sheet") for n in a) else 1)
PY
}
if grep -q '^SORVEK_XLSX:BOOL=ON' build-windows/CMakeCache.txt; then
  temp="$WINEPREFIX/drive_c/users/$user/Temp"
  before=$(ls -A "$temp" 2>/dev/null | wc -l)
  echo old >"$folder/受注.xlsx"
  win -q --format xlsx /C samples/orders.dat "C:\\users\\$user\\受注\\受注.xlsx" samples/orders.trd
  "$LINUX_CLI" -q --format xlsx /C samples/orders.dat "$WORK/orders.xlsx" samples/orders.trd
  check "a workbook holds the Linux program's cells" same_workbook "$folder/受注.xlsx" "$WORK/orders.xlsx"
  check "a workbook leaves no temporary file" [ -z "$(ls -A "$folder" | grep -F .受注.xlsx. || true)" \
    -a "$(ls -A "$temp" 2>/dev/null | wc -l)" -eq "$before" ]
  win -q --format xlsx /C layouts/samples/zengin-sogo.dat "$WORK/sogo.win.xlsx" layouts/zengin-sogo.trd
  "$LINUX_CLI" -q --format xlsx /C layouts/samples/zengin-sogo.dat "$WORK/sogo.xlsx" layouts/zengin-sogo.trd
  check "a workbook of several kinds holds the Linux program's sheets" \
    same_workbook "$WORK/sogo.win.xlsx" "$WORK/sogo.xlsx"
fi

# The zip (scripts/package-windows.sh) unpacked into a Japanese folder on C:: the program names
# a shipped layout and converts as the Linux program; README.txt is UTF-8 with a byte order mark
# and CR LF line ends; a .bat saved in the system's page runs a job in a Japanese folder.
zip=$(ls -t build-windows/sorvek-*-win64.zip 2>/dev/null | head -n 1 || true)
if [ -z "$zip" ]; then
  echo "skip the zip: none in build-windows (scripts/package-windows.sh makes it)"
else
  soft="$WINEPREFIX/drive_c/users/$user/ソフト"
  rm -rf "$soft"
  mkdir -p "$soft"
  /usr/bin/python3 -m zipfile -e "$zip" "$soft"
  top=$(basename "$zip" .zip)
  cp layouts/samples/zengin-sogo.dat "$soft/総合振込.dat"
  timeout 300 "$WINE" "$soft/$top/bin/sorvek-cli.exe" -q /C "C:\\users\\$user\\ソフト\\総合振込.dat" \
    "C:\\users\\$user\\ソフト\\総合振込.csv" zengin-sogo
  "$LINUX_CLI" -q /C layouts/samples/zengin-sogo.dat "$WORK/sogo.linux" zengin-sogo
  check "the zip's program converts by a shipped layout's name" \
    cmp -s "$soft/総合振込.csv" "$WORK/sogo.linux"
  readme="$soft/$top/README.txt"
  check "README.txt: UTF-8 with a byte order mark, CR LF line ends" [ \
    "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf -a \
    "$(grep -c "$(printf '\r')\$" "$readme")" = "$(wc -l <"$readme")" -a \
    "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ]
  if [ -n "$PAGE" ]; then
    sed 's/$/\r/' <<EOF | iconv -f UTF-8 -t "$PAGE" >"$soft/変換.bat"
@echo off
set SORVEK=C:\\users\\$user\\ソフト\\$top\\bin\\sorvek-cli.exe
set DATA=C:\\users\\$user\\ソフト
"%SORVEK%" -q /E "%DATA%\\総合振込.csv" "%DATA%\\総合振込.lf" LF
exit /b %ERRORLEVEL%
EOF
    status=0
    (cd "$soft" && timeout 300 "$WINE" cmd /c "C:\\users\\$user\\ソフト\\変換.bat") || status=$?
    "$LINUX_CLI" -q /E "$WORK/sogo.linux" "$WORK/sogo.lf" LF
    check "a .bat in the system's page runs a job" [ "$status" -eq 0 ]
    check "the .bat's job wrote its output" cmp -s "$soft/総合振込.lf" "$WORK/sogo.lf"
  fi
  rm -rf "$soft"
fi
# ---------------------------------------------------------------------------------------------

rm -rf "$WINEPREFIX/drive_c/users/$user/受注" "$WINEPREFIX/drive_c/users/$user/${part}_1"

# The engine's, the formats' and the console's tests, cross-built (scripts/build-windows.sh
# --tests), each bounded in time. Left out under wine, each for its reason:
#   TrdFileTest.WhatCannotBeADefinitionFileIsRefusedWithoutBeingRead: a FIFO and /dev/zero,
#     which Windows has not;
#   TrdFileTest.SavingKeepsThePermissionBitsAndFollowsALink: POSIX permission bits and a
#     symbolic link, which a Windows user cannot make without privileges;
#   Documentation.ManPageAndCompletionNameEveryLongOption: runs bash on the completion (the
#     Linux run checks it; the files are the same).
skipped="TrdFileTest.WhatCannotBeADefinitionFileIsRefusedWithoutBeingRead"
skipped="$skipped:TrdFileTest.SavingKeepsThePermissionBitsAndFollowsALink"
skipped="$skipped:Documentation.ManPageAndCompletionNameEveryLongOption"
suite() {  # suite NAME: NAME.exe passes under wine within its time
  timeout "${SORVEK_SUITE_SECONDS:-600}" env SORVEK_SOURCE_DIR="$PWD" \
    SORVEK_TEST_CLI="$PWD/$EXE" GTEST_FILTER="-$skipped" "$WINE" "build-windows/tests/$1.exe" \
    >"$WORK/$1.log" 2>&1 || { grep -E "^\[  FAILED|Failure|rror" "$WORK/$1.log" | head -n 30; return 1; }
  grep -E "^\[  PASSED" "$WORK/$1.log" | sed 's/^/     /'
}
for name in engine_tests formats_tests console_tests; do
  if [ -f "build-windows/tests/$name.exe" ]; then
    check "$name under wine" suite "$name"
  fi
done

# The console tests that run the program through a POSIX shell (left out of console_tests.exe):
# the Linux test program (build/tests/console_tests, or $SORVEK_LINUX_CONSOLE_TESTS) with the
# Windows program in the place of the Linux one, its messages made UTF-8 again. Left out: the
# cases whose expected messages name a path as Linux does (the Windows program names /tmp/x as
# Z:\tmp\x), and the shipped layouts found beside the sources (under wine the program's folder
# is Z:\..., which is not the build folder as the Linux build named it).
LINUX_CONSOLE_TESTS="${SORVEK_LINUX_CONSOLE_TESTS:-build/tests/console_tests}"
if [ -x "$LINUX_CONSOLE_TESTS" ] && [ -n "$PAGE" ]; then
  cat >"$WORK/sorvek-cli" <<EOF
#!/bin/bash
set -o pipefail
{ "$WINE" "$PWD/$EXE" "\$@" 2>&1 1>&3 3>&- | iconv -f $PAGE -t UTF-8 >&2; } 3>&1
EOF
  chmod +x "$WORK/sorvek-cli"
  paths="FailedJobsExitWithOneAndSayWhy:DefinitionThatCannotBeLoadedEndsWithOne"
  paths="$paths:CheckRefusesWrongCommandLinesWithTwoAndMissingFilesWithOne"
  paths="$paths:CheckOfATextListsTheLinesTheJobWouldStopAt:OutputOptionsOverrideTheDefinition"
  paths="$paths:AFilePerKindIsNamedAfterTheOutputAndListed"
  layouts="ShippedLayoutsAreListedAndNamedInsteadOfADefinitionFile"
  left_out=$(printf %s "$paths:$layouts" | sed 's|\([^:]*\)|Programs/CliTest.\1/*|g')
  cli_tests() {
    timeout "${SORVEK_SUITE_SECONDS:-600}" env SORVEK_TEST_CLI="$WORK/sorvek-cli" \
      SORVEK_SOURCE_DIR="$PWD" GTEST_FILTER="Programs/CliTest.*-$left_out" \
      "$LINUX_CONSOLE_TESTS" >"$WORK/cli_tests.log" 2>&1 ||
      { grep -a -E "^\[  FAILED|Failure" -A6 "$WORK/cli_tests.log" | head -n 40; return 1; }
    grep -E "^\[  PASSED" "$WORK/cli_tests.log" | sed 's/^/     /'
  }
  check "the console program's tests, with the Windows program" cli_tests
fi

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "all passed"
