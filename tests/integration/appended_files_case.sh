#!/bin/sh
# A game appends to a file whose name changes under the handle (CASE:
# rewritten, copied, deleted): every line appended after the change is in
# the file then at the name. "full" appends past the file size limit, with
# SIGXFSZ ignored as a full disk would leave the game playing: after the
# old text the file holds whole lines, every one that fit, and no line end
# without its text.
#   appended_files_case.sh RUNNER PACKAGE CASE
runner="$1"; package="$2"; case="$3"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1
saves="$scratch/appended_files"
fail() { cat "$scratch/out"; echo "appended_files_case: $*" >&2; exit 1; }
# CR LF line ends, as the game writes them.
lines() { for line in "$@"; do printf '%s\r\n' "$line"; done; }
# FILE holds exactly what stands in EXPECTED.
check() { cmp -s "$saves/$1" "$scratch/expected" || fail "$1 ends in: $(tail -c 48 "$saves/$1" | LC_ALL=C od -An -c)"; }

limit=4096  # bytes: ulimit -f counts blocks of 512
mkdir -p "$saves"
if [ "$case" = full ]; then lines "старый текст" >"$saves/full.txt"; fi
# The limit applies to the runner alone: its output goes through a pipe to
# a file no limit holds.
(
  trap '' XFSZ
  [ "$case" != full ] || ulimit -f $((limit / 512))
  "$runner" -game "$package" -noerrors "$case" 2>&1
  echo "$?" >"$scratch/status"
) | cat >"$scratch/out"
[ "$(cat "$scratch/status")" = 0 ] || fail "exit code $(cat "$scratch/status"), expected 0"
grep -q "done $case" "$scratch/out" || fail "the game did not run to its end"

case "$case" in
  rewritten) lines rewritten two >"$scratch/expected"; check log.txt ;;
  copied) lines "αντίγραφο" "после 1" "после 2" >"$scratch/expected"; check log2.txt ;;
  deleted) lines "新しい" >"$scratch/expected"; check log3.txt ;;
  full)
    # The old text and every whole line that fits within the limit.
    { lines "старый текст"; i=1001; while [ "$i" -le 1400 ]; do lines "запись $i"; i=$((i + 1)); done; } |
      LC_ALL=C awk -v limit="$limit" '{ line = $0 "\n"; size += length(line); if (size > limit) exit; printf "%s", line }' \
        >"$scratch/expected"
    check full.txt
    grep -q "Failed to write file: .*full\.txt (write: File too large)" "$scratch/out" || fail "the failure was not logged"
    ;;
  *) fail "unknown case $case" ;;
esac
cat "$scratch/out"
