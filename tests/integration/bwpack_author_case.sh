#!/bin/sh
# What an author meets from bwpack: each case writes a small project with
# the text it names, builds it in both forms and checks the exit code, all
# that bwpack said, and that nothing was written where the build is refused.
#   bwpack_author_case.sh BWPACK SCRATCH_FOLDER CASE
set -eu
bwpack=$1
scratch=$2
case_name=$3
rm -rf "$scratch"
mkdir -p "$scratch/p/code"
cd "$scratch"

fail() { echo "FAIL: $*"; exit 1; }

room_code_project() {
    printf '{"name": "t", "rooms": [{"name": "rm", "code": "code/c.bwl"}]}\n' > p/game.json
}

# refused EXPECTED [bwpack arguments...]: exit 1 in both forms, exactly
# EXPECTED said, and no package.
refused() {
    expected=$1
    shift
    for form in text bytecode; do
        status=0
        "$bwpack" p -o out.win --form "$form" "$@" >said 2>&1 || status=$?
        [ "$status" -eq 1 ] || fail "$form form exited $status, not 1: $(cat said)"
        [ "$(cat said)" = "$expected" ] || fail "$form form said:
$(cat said)
expected:
$expected"
        [ ! -e out.win ] || fail "$form form wrote a package"
    done
}

# built [bwpack arguments...]: exit 0 in both forms, nothing said.
built() {
    for form in text bytecode; do
        "$bwpack" p -o out.win --form "$form" "$@" >said 2>&1 || fail "$form form refused: $(cat said)"
        [ ! -s said ] || fail "$form form said: $(cat said)"
        [ -s out.win ] || fail "$form form wrote no package"
        rm out.win
    done
}

# The code file of the room, then what bwpack must say about it.
code_refused() {
    printf "$1" > p/code/c.bwl
    refused "$2"
}

tab=$(printf '\t')
nl='
'
case $case_name in
nul_byte)
    # The runner reads code up to a NUL: what follows would never run.
    room_code_project
    code_refused 'show_debug_message("A");\000\nshow_debug_message("C");\n' \
"p/code/c.bwl:1:25: a NUL byte ends the code here: the rest of the file would be lost
show_debug_message(\"A\");
                        ^"
    code_refused 's = "Привет";\n\000' "p/code/c.bwl:2:1: a NUL byte ends the code here: the rest of the file would be lost
${nl}^"
    ;;
cr_line_ends)
    # A carriage return alone ends a line, as it does for the lexer; a
    # carriage return and a line feed end one.
    room_code_project
    code_refused 'x = 1;\ry = ;\r' "p/code/c.bwl:2:5: Unexpected symbol in expression.
y = ;
    ^"
    code_refused 'x = 1;\r\ry = "abc;\r' "p/code/c.bwl:3:5: string never closed: it takes the rest of the file
y = \"abc;
    ^"
    code_refused 'x = 1;\r\n\r\nz = 2; /* ζ\r\n' "p/code/c.bwl:3:8: comment never closed: it takes the rest of the file
z = 2; /* ζ
       ^"
    ;;
caret_after_wide_text)
    # One column per character, two for a wide one, tabs kept: the caret
    # stands under the fault on a terminal. Columns count bytes.
    room_code_project
    code_refused 'a = "Привет, мир"; b = ;\n' "p/code/c.bwl:1:33: Unexpected symbol in expression.
a = \"Привет, мир\"; b = ;
                       ^"
    code_refused '\tt = "Γειά σου"; b = ;\n' "p/code/c.bwl:1:29: Unexpected symbol in expression.
${tab}t = \"Γειά σου\"; b = ;
${tab}                    ^"
    code_refused 'a = "日本語のテキスト"; b = ;\n' "p/code/c.bwl:1:37: Unexpected symbol in expression.
a = \"日本語のテキスト\"; b = ;
                            ^"
    ;;
name_outside_ascii)
    # The runner skips such bytes as blanks: two Cyrillic names would be one
    # variable, and "очки1" would be the number 1.
    room_code_project
    code_refused 'счёт_игрока = 10; жизни_игрока = 3;\n' \
"p/code/c.bwl:1:1: \"с\" outside a string or comment: names are ASCII letters, digits and '_'
счёт_игрока = 10; жизни_игрока = 3;
^"
    code_refused 'a = 1;\nb = очки1;\n' "p/code/c.bwl:2:5: \"о\" outside a string or comment: names are ASCII letters, digits and '_'
b = очки1;
    ^"
    code_refused 's = "Γειά"; βήμα = 2;\n' "p/code/c.bwl:1:17: \"β\" outside a string or comment: names are ASCII letters, digits and '_'
s = \"Γειά\"; βήμα = 2;
            ^"
    code_refused 'x = 得点;\n' "p/code/c.bwl:1:5: \"得\" outside a string or comment: names are ASCII letters, digits and '_'
x = 得点;
    ^"
    # In strings and comments any text is welcome, and so is a byte-order
    # mark at the very start.
    printf '\357\273\277// счёт, Γειά, 日本語\ns = "Привет"; /* 点数 */ t = '"'"'Γειά'"'"';\n' > p/code/c.bwl
    built
    ;;
manifest_byte_order_mark)
    # Editors may start game.json with the mark, as they do code files.
    printf '\357\273\277{"name": "t", "rooms": [{"name": "rm", "code": "code/c.bwl"}]}\n' > p/game.json
    printf 'x = 1;\n' > p/code/c.bwl
    built
    ;;
bwl_extension)
    # The package carries no code of extension files: refused, and the
    # author's file is kept even when the package is named after it.
    mkdir p/ext
    printf 'return argument0 * 2;\n' > p/ext/lib.bwl
    cp p/ext/lib.bwl kept.bwl
    printf '%s\n' '{"name": "t", "extensions": [{"name": "ext", "files": [{"file": "ext/lib.bwl", "kind": "bwl",' \
        '"functions": [{"name": "ext_f", "args": ["real"]}]}]}], "rooms": [{"name": "rm", "code": "code/c.bwl"}]}' > p/game.json
    printf 'x = ext_f(1);\n' > p/code/c.bwl
    expected="p/game.json: extensions[0].files[0].kind: \"bwl\" files cannot be packed: the package carries no code of an extension file, so its functions would do nothing; write them as scripts instead"
    refused "$expected"
    status=0
    "$bwpack" p -o p/ext/lib.bwl >said 2>&1 || status=$?
    [ "$status" -eq 1 ] && [ "$(cat said)" = "$expected" ] || fail "-o p/ext/lib.bwl exited $status: $(cat said)"
    cmp -s kept.bwl p/ext/lib.bwl || fail "the extension file was overwritten"
    ;;
debug_file_beside_package)
    # The debug file takes the package's name with its extension replaced;
    # a '.' in a folder is no extension.
    room_code_project
    printf 'x = 1;\n' > p/code/c.bwl
    mkdir -p my.dir/sub outs
    cd my.dir/sub
    "$bwpack" ../../p -o ../../outs/game --form bytecode >said 2>&1 || fail "refused: $(cat said)"
    [ "$(cat said)" = 'bwpack: "../../outs/game" has no extension: no debug file written' ] || fail "said: $(cat said)"
    cd ../..
    "$bwpack" p -o my.dir/game --form bytecode 2>/dev/null || fail "my.dir/game refused"
    "$bwpack" p -o ./game --form bytecode 2>/dev/null || fail "./game refused"
    "$bwpack" p -o my.dir/game.v2.win --form bytecode || fail "my.dir/game.v2.win refused"
    [ -s outs/game ] && [ -s my.dir/game ] && [ -s game ] || fail "a package is missing"
    [ -s my.dir/game.v2.qxdebug ] || fail "no my.dir/game.v2.qxdebug"
    left=$(find . -name '*qxdebug' | sort | tr '\n' ' ')
    [ "$left" = "./my.dir/game.v2.qxdebug " ] || fail "debug files written: $left"
    ;;
*)
    fail "no case $case_name"
    ;;
esac
echo "$case_name: as expected"
