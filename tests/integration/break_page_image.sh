#!/bin/sh
# Copies a package and spoils its first PNG texture page: the header chunk's
# type is overwritten, so the image cannot be decoded while every chunk of
# the package stays whole.
#   break_page_image.sh IN.win OUT.win
set -eu
offset="$(LC_ALL=C grep -obUa 'IHDR' "$1" | head -n 1 | cut -d: -f1)"
[ -n "$offset" ] || { echo "break_page_image: no PNG image in $1" >&2; exit 1; }
cp "$1" "$2"
printf 'XXXX' | dd of="$2" bs=1 seek="$offset" conv=notrunc 2>/dev/null
