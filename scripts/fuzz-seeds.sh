#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Writes the seed corpus of the fuzz targets (data/fuzz/corpus/TARGET/): the sample collections and the help
# text in each encoding the program reads, small cases made by hand, and fortune texts made from the samples
# with indexes by strfile. Each seed is laid out as its target takes its input (tests/fuzz/*.cpp).
# scripts/fuzz.sh runs it; rerun it after changing it and commit the corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages fortune-mod
corpus=$here/data/fuzz/corpus
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -rf "$corpus"
mkdir -p "$corpus"/{linestore,encoding,fortune,numberfile,numbers,commandline}

put() { cat >"$corpus/$1/$2"; }
# Two bytes, big-endian, of a length.
length() { printf "\\x$(printf %02x $(($1 >> 8)))\\x$(printf %02x $(($1 & 255)))"; }
utf8() { iconv -f WINDOWS-1252 -t UTF-8; }
utf16() { printf '\xff\xfe'; iconv -f WINDOWS-1252 -t UTF-16LE; }
rot13() { tr 'A-Za-z' 'N-ZA-Mn-za-m'; }

# The texts every reader of lines gets, by name.
head -n 12 "$here/data/Citat.dat" >"$scratch/citat"
cp "$here/data/Djur.dat" "$scratch/djur"
head -n 20 "$here/data/help.txt" >"$scratch/help"
utf8 <"$scratch/citat" >"$scratch/citat-utf8"
{ printf '\xef\xbb\xbf'; utf8 <"$scratch/citat"; } >"$scratch/citat-utf8-mark"
utf16 <"$scratch/citat" >"$scratch/citat-utf16le"
{ printf '\xfe\xff'; iconv -f WINDOWS-1252 -t UTF-16BE <"$scratch/citat"; } >"$scratch/citat-utf16be"
tr -d '\r' <"$scratch/citat" >"$scratch/citat-unix"
tr '\n' '\r' <"$scratch/citat-unix" >"$scratch/citat-cr"
printf 'ett\r\n\r\n\r\ntv\xe5\rtre\nmed LF\r\n  \r\nfyra' >"$scratch/mixed"
printf 'a\nb\nc\r\nd\n' >"$scratch/mostly-lf"
printf '\xef\xbb\xbf\xef\xbb\xbfm\xe4rket tv\xe5 g\xe5nger\r\n' >"$scratch/two-marks"
printf '\xef\xbb\xbfinte UTF-8: \xe5\r\n' >"$scratch/false-mark"
printf 'STRASSE \xc3\x9f\r\n\xc4\xb0stanbul i\xcc\x87\r\n\xce\xa3\xce\x9f\xce\xa6\xce\x99\xce\x91 \xcf\x83\xce\xbf\xcf\x86\xce\xb9\xce\xb1\r\n\xf0\x9f\x90\x95 hund\r\n' >"$scratch/folds"
# Across the 32-byte blocks the UTF-8 check judges at once: a character cut by the block's end, and one invalid.
printf '%031d\xc3\xa5%030d\xe2\x82\xac\r\n' 0 0 >"$scratch/block-edge"
printf '%031d\xc3\x28%030d\xed\xa0\x80\r\n' 0 0 >"$scratch/block-invalid"
printf '\xff\xfea\x00\x00\xd8b\x00\r\x00\n\x00\x00\xdc' >"$scratch/half-pairs"
printf '\xfe\xff\x00a\x00\r\x00' >"$scratch/odd-byte"
: >"$scratch/empty"
texts=(citat djur help citat-utf8 citat-utf8-mark citat-utf16le citat-utf16be citat-unix citat-cr mixed mostly-lf
       two-marks false-mark folds block-edge block-invalid half-pairs odd-byte empty)

# linestore: steer (bit 0 keeps empty lines, bit 1 searches beginnings), a count, the needle up to a NUL, the file.
needles=(hund b "" $'\xc3\xa5' ss $'i\xcc\x87' $'\xcf\x82' '.')
i=0
for t in "${texts[@]}"; do
    { printf "\\x$(printf %02x $((i % 4)))\\x$(printf %02x $((i * 7 % 40)))%s\\0" "${needles[i % ${#needles[@]}]}"
      cat "$scratch/$t"; } | put linestore "$t"
    i=$((i + 1))
done
cat "$here/data/Citat.dat" | { printf '\x00\xffgud\0'; cat; } | put linestore citat-whole

# encoding: steer (the encoding a text was read as; bit 7 keeps empty lines), the file's length and the file,
# then edits: a byte for which, one for where, and the line up to a NUL.
i=0
for t in "${texts[@]}"; do
    { printf "\\x$(printf %02x $((i * 37 % 256)))"; length "$(stat -c %s "$scratch/$t")"; cat "$scratch/$t"
      printf '\x00\x00ny rad\0\x01\x02infogad \xc3\xa5\0\x02\x00\0\x01\x05med\nLF\0\x00\x00\0'; } | put encoding "$t"
    i=$((i + 1))
done
printf '\x03\x00\x00\x00\x00\xe2\x82\xac\0\x00\x00\xef\xbb\xbf\0\x01\x00\xc3\xbf\xc3\xbe\0' | put encoding edits-only

# fortune: the index's length, the index, the text.
fortune() { # NAME TEXT [strfile flags]
    local name=$1 text=$2
    shift 2
    strfile -s "$@" "$text" "$scratch/index" >/dev/null
    { length "$(stat -c %s "$scratch/index")"; cat "$scratch/index" "$text"; } | put fortune "$name"
}
# Entries of two to four proverbs, each line indented by the author's hand now and then.
awk '{ printf "%s%s\n", (NR % 3 ? "" : "  "), $0 } NR % 3 == 0 { print "%" }' "$scratch/citat-unix" >"$scratch/f"
utf8 <"$scratch/f" >"$scratch/f-utf8"
utf16 <"$scratch/f" >"$scratch/f-utf16"
sed 's/$/\r/' "$scratch/f" >"$scratch/f-crlf"
rot13 <"$scratch/f" >"$scratch/f-rot13"
sed 's/^%$/@/' "$scratch/f" >"$scratch/f-at"
{ echo '%% en kommentar'; sed 's/^%$/%\n%% mellan citaten\n   \n%/' "$scratch/f"; } >"$scratch/f-comments"
printf 'ett\n%%\n%%\n  \t\n%%\ntv\xe5\n%%\n' >"$scratch/f-empty-entries"
printf '\xef\xbb\xbfmed m\xc3\xa4rke\n%%\nandra\n%%\n' >"$scratch/f-mark"
printf 'sista utan slut\n%%\nutan radslut' >"$scratch/f-open-end"
fortune plain "$scratch/f"
fortune utf8 "$scratch/f-utf8"
fortune utf16 "$scratch/f-utf16"
fortune crlf "$scratch/f-crlf"
fortune rotated "$scratch/f-rot13" -x
fortune delimiter-at "$scratch/f-at" -c @
fortune ordered "$scratch/f-utf8" -o
fortune ordered-ignoring-case "$scratch/f" -o -i
fortune random "$scratch/f" -r # strfile shuffles anew on every run
fortune empty-entries "$scratch/f-empty-entries"
fortune mark "$scratch/f-mark"
fortune open-end "$scratch/f-open-end"
# Flags strfile sets no option for: comments (8), and offsets of 64 bits behind version 2.
fortune comments "$scratch/f-comments"
{ length "$(stat -c %s "$scratch/index")"; head -c 19 "$scratch/index"; printf '\x08'; tail -c +21 "$scratch/index"
  cat "$scratch/f-comments"; } | put fortune comments-flagged
strfile -s "$scratch/f-utf8" "$scratch/index" >/dev/null
wide=$(tail -c +25 "$scratch/index" | od -An -v -tx1 | tr -d ' \n' | sed 's/......../00000000&/g; s/../\\x&/g')
{ length $((24 + 2 * ($(stat -c %s "$scratch/index") - 24))); head -c 24 "$scratch/index"; printf '%b' "$wide"
  cat "$scratch/f-utf8"; } | put fortune wide-offsets
{ printf '\x00\x04'; cat "$scratch/index" "$scratch/f"; } | put fortune not-an-index

# numberfile: the bytes of nr.ini.
printf '1\r\n' | put numberfile one
printf '"12,5",3\r\n' | put numberfile quoted
printf ' \t42 , rest\r\n' | put numberfile blanks
printf '\xef\xbb\xbf7\r\n' | put numberfile utf8-mark
printf '\xff\xfe1\x002\x00\r\x00\n\x00' | put numberfile utf16
printf '\xff\xfe\x00\xd8' | put numberfile half-pair
printf '"\r\n' | put numberfile open-quote
printf '\r\n5' | put numberfile empty-first-line
printf 'tv\xe5\n' | put numberfile windows-1252
: | put numberfile empty

# numbers: steer (a multiple of 4 reads the rest as UTF-16 units, else as UTF-8), the text.
for n in 12 ' -7 ' 2.5 3.5 -2.5 0.5000001 -2147483648 2147483647 2147483647.5 -2147483648.5 2147483648 \
    00000000002147483647 12345678901 .5 5. + . '' ' ' 1e5 '1,5' '	9	' 0x10 '- 1'; do
    printf '\x01%s' "$n" | put numbers "n$(printf %s "$n" | od -An -tx1 | tr -d ' \n')"
done
printf '\x00\x31\x00\x2e\x00\x35\x00\x60\x06' | put numbers utf16-arabic-digit

# commandline: the arguments after the program's name, each ended by a NUL.
args() { printf '%s\0' "$@" | head -c -1; }
i=0
for line in '--slump' '--sök|hund|--början' '--sok|katt|--samling|alla' '--nummer|12|--samling|Djur' '--nummer|0' \
    '--nummer|+5' '--samling|alla|--nummer|3' '--importera|fil.txt|--samling|Egen' '--importera|fil.txt' \
    '--mapp|/tmp|--samlingar' '--mapp' '--mapp|/finns/inte' '-platform|offscreen' '-platform|ingen' \
    '-style=fusion|--slump' '--help' '-v' '--version|--slump' '--okänd' 'ord' '--|--slump' '--början' \
    '--samling|' '--sök=' '-platform' '--mapp=/|--sök|a'; do
    IFS='|' read -ra words <<<"$line"
    args "${words[@]}" | put commandline "c$i"
    i=$((i + 1))
done
: | put commandline none
du -sh "$corpus"
