#!/bin/sh
# bwpack must refuse to write its package over a file the build reads
# (game.json, an image, code, through a link too), say so, exit 2, and leave
# the file as it was.
#   bwpack_own_inputs_case.sh BWPACK PROJECT SCRATCH_FOLDER
set -eu
bwpack=$1
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cp -R "$2" "$scratch/project"
cd "$scratch"
ln -s project/code/scr_add.bwl link.win

fail() { echo "FAIL: $*"; exit 1; }

for output in project/game.json project/sprites/player.png project/code/scr_add.bwl link.win; do
    cp "$output" kept
    status=0
    "$bwpack" project -o "$output" 2>said || status=$?
    [ "$status" -eq 2 ] || fail "-o $output exited $status, not 2"
    cmp -s kept "$output" || fail "-o $output overwrote it"
    case $output in
        link.win) what="project/code/scr_add.bwl, a file the build reads" ;;
        *) what="a file the build reads" ;;
    esac
    expected="bwpack: \"$output\" is $what: the package would overwrite it; nothing written"
    [ "$(cat said)" = "$expected" ] || fail "-o $output said: $(cat said)"
done

# Beside the project, the same build goes through.
"$bwpack" project -o game.win || fail "a package beside the project was refused"
echo "each input kept"
