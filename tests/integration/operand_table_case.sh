#!/bin/sh
# Every binary operator over every pair of six kinds of operand, and the
# unary ones over each: a comparison's result (a truth value on the
# machine), small and 32-bit whole constants (ints), a constant past 32
# bits (an int64), a variable that holds a negative half (a real that is
# true on the machine and false on the tree) and a real constant, plus a
# few whole-number sums that must not wrap. The table is written into the
# project's code, built in both package forms and played on the machine
# from each and on the tree interpreter; each engine's results must be its
# golden's (tests/golden/operand_table.<engine>.txt), and both forms' alike.
# BW_UPDATE_GOLDEN=1 rewrites the goldens.
#   operand_table_case.sh BWPACK RUNNER PROJECT GOLDEN_FOLDER
bwpack="$1"; runner="$2"; project="$3"; golden="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$project" "$work/project" && mkdir -p "$work/project/code" || exit 1

set -f  # the operators hold * and the operands ( )
operands='(a < b)
7
2147483647
4294967296
v
1.5'
binary='+ - * / div mod | & ^ << >> && || ^^ < <= == != >= >'
{
  echo 'a = 3; b = 4; v = -3.5; hi = 5; lo = 7; big = 4294967296;'
  show() { printf 'show_debug_message("op: %s = " + string(%s));\n' "$1" "$1"; }
  printf '%s\n' "$operands" | while IFS= read -r left; do
    for op in - ! '~'; do show "$op$left"; done
    printf '%s\n' "$operands" | while IFS= read -r right; do
      for op in $binary; do show "$left $op $right"; done
    done
  done
  for sum in '(a | 0) * 1000000000' '(a & 255) * 100000 * 100000' '-(a < b) - 2147483647 - 1' \
    '-(a | 0) * 2147483647 * 3' '(hi & 65535) * 4294967296 + lo' 'big div 3' '(a * 1431655765) div 1' \
    '2147483648 | 0' '~((a < b) + 2147483647)' '(a < b) * (a < b) * 4294967296' '2 * v - 1' '360 - a'; do
    show "$sum"
  done
  echo 'game_end();'
} >"$work/project/code/table.bwl"

play() {  # FORM ENGINE [switches]: the table's lines as one engine printed them
  form="$1"; engine="$2"; shift 2
  SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES=60 \
    "$runner" -game "$work/$form.win" -noerrors "$@" >"$work/$form.$engine.log" 2>&1
  status=$?
  sed -n 's/^op: //p' "$work/$form.$engine.log" >"$work/$form.$engine.txt"
  if [ "$status" -ne 0 ]; then
    tail -5 "$work/$form.$engine.log"
    echo "operand_table: the $form form on the $engine ended with $status" >&2
    exit 1
  fi
}
for form in text bytecode; do
  "$bwpack" "$work/project" -o "$work/$form.win" --form "$form" || exit 1
done
play text machine
play bytecode machine
play text tree -oldexec
if [ -n "${BW_UPDATE_GOLDEN:-}" ]; then
  cp "$work/text.machine.txt" "$golden/operand_table.machine.txt"
  cp "$work/text.tree.txt" "$golden/operand_table.tree.txt"
fi
failed=0
for run in text.machine bytecode.machine text.tree; do
  if ! diff -u "$golden/operand_table.${run#*.}.txt" "$work/$run.txt"; then
    echo "operand_table: the $run results differ from the golden" >&2
    failed=1
  fi
done
exit $failed
