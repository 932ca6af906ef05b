#!/usr/bin/env bash
# Writes the seed inputs of the readers' fuzz targets, fuzz/<target>/corpus/<target>/seed-*,
# from our own tools and real files: .reg files the settings store writes (through
# tkinstall) and the shapes other programs and people give them, lexqc sources and the
# dictionaries it compiles, slices of the bundled books' FreeDict and WordNet dictd files,
# StarDict files, the shipped word-form tables, the bundled dict.cfg and .def files, and the
# result tables of real searches in the bundled books. Inputs with long lines, deep nesting
# or many items come twice: a few KiB of each among the seeds, for the mutator to work on at
# speed, and some 50 KiB in fuzz/<target>/long/, which ctest replays (bench/readers times
# how such inputs scale).
#   fuzz/make_seeds.sh     needs the debug build, /usr/share/dictd, gzip, dictzip and python3
# The debug build's library is built with AddressSanitizer: run it as
#   LD_PRELOAD=$(gcc -print-file-name=libasan.so) ASAN_OPTIONS=detect_leaks=0 fuzz/make_seeds.sh
set -euo pipefail
cd "$(dirname "$0")/.."
product=build/debug/product
dictd=/usr/share/dictd
for tool in "$product/tkinstall" "$product/lexqc"; do
  [ -x "$tool" ] || { echo "build the debug preset first ($tool is missing)" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

separator() { printf '\377\376-part-\376\377'; }
# Several files as one input: the files, separated.
join_parts() {
  local first=1
  for file in "$@"; do
    [ $first -eq 1 ] || separator
    cat "$file"
    first=0
  done
}
seed() {  # seed TARGET NAME: stdin becomes the seed
  local dir="fuzz/$1/corpus/$1"
  mkdir -p "$dir"
  cat > "$dir/seed-$2"
}
# A 32-bit number, big-endian, as StarDict stores it.
be32() {
  local v=$1
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(((v >> 24) & 255)) $(((v >> 16) & 255)) \
    $(((v >> 8) & 255)) $((v & 255)))"
}
# A number in dictd's base64 digits.
dictd_number() {
  local n=$1 digits=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/ s=
  while :; do
    s="${digits:n%64:1}$s"
    n=$((n / 64))
    [ $n -gt 0 ] || break
  done
  printf '%s' "$s"
}
repeat() {  # repeat COUNT TEXT
  local i
  for ((i = 0; i < $1; i++)); do printf '%s' "$2"; done
}
# long TARGET NAME COUNT COMMAND...: COMMAND N writes an input of N repeats; a seed of
# COUNT/16 repeats, and a long input of COUNT.
long() {
  local target=$1 name=$2 count=$3
  shift 3
  "$@" $((count / 16)) | seed "$target" "$name"
  mkdir -p "fuzz/$target/long"
  "$@" "$count" > "fuzz/$target/long/$name"
}

# --- registry: the settings store's .reg files --------------------------------------------
mkdir -p "$work/reg" "$work/home"
TAALKIST_REGISTRY_DIR="$work/reg" HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" \
  "$product/tkinstall" install --prefix "$work/prefix" >/dev/null
written="$work/reg/user.reg"
seed registry tkinstall.reg < "$written"
{ printf '; kept by hand\r\n'; sed 's/$/\r/' "$written"
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"Editor"=gedit\r\n"Wide"=hex:01,02,\\\r\n  03\r\n'
  printf '[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"Orphan"="x"\r\n'; } | seed registry hand-edited.reg
# A Windows export: UTF-16LE with a byte-order mark and CR LF.
{ printf '\377\376'; sed 's/$/\r/' "$written" | iconv -f UTF-8 -t UTF-16LE; } |
  seed registry windows-export.reg
{ printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Taalkist]\n"Pad"=hex(2):43,3a,5c,e9,00\n'
  printf '@="standaard"\n"Teller"=dword:0000002a\n"Q"=hex(b):01,00,00,00,00,00,00,00\n'
  printf '"Multi"=hex(7):61,00,62,00,00,00\n"Weg"=-\n'; } | seed registry regedit4.reg
reg_head() { printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\S]\n'; }
deep_key() { printf '[HKEY_CURRENT_USER%s]\n"v"="1"\n' "$(repeat "$1" '\d')"; }
deep_wide_key() { printf '[HKEY_CURRENT_USER%s]\n"v"="1"\n' "$(repeat "$1" '\abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz0123456789')"; }
hex_line() { reg_head; printf '"w"=hex:'; repeat "$1" 'ab,'; printf 'cd\n'; }
hex_list() { reg_head; printf '"w"=hex:'; repeat "$1" '01,02,\
  '; printf '03\n'; }
long_string() { reg_head; printf '"s"="'; repeat "$1" 'x\\'; printf '"\n'; }
deletions() {
  reg_head
  for i in $(seq "$1"); do printf '"v%d"="%d"\n' "$i" "$i"; done
  for i in $(seq "$1"); do printf '"v%d"=-\n' "$i"; done
}
long registry deep-key.reg 4800 deep_key
long registry deep-wide-key.reg 512 deep_wide_key
long registry hex-line.reg 16000 hex_line
long registry hex-list.reg 3200 hex_list
long registry string.reg 16000 long_string
long registry deletions.reg 1600 deletions

# --- lexqc_source: the compiler's source format --------------------------------------------
for sample in data/samples/*.src; do
  seed lexqc_source "$(basename "$sample")" < "$sample"
done
"$product/lexqc" import-dictd "$dictd/freedict-nld-eng.index" "$dictd/freedict-nld-eng.dict.dz" \
  "$work/nl-en.src" --freedict --dir nl-en >/dev/null 2>&1
head -c 6000 "$work/nl-en.src" | seed lexqc_source freedict-nld-eng.src
"$product/lexqc" import-dictd "$dictd/wn.index" "$dictd/wn.dict.dz" "$work/wn.src" --wordnet \
  >/dev/null 2>&1
head -c 6000 "$work/wn.src" | seed lexqc_source wordnet.src
body_line() { printf 'kw: lang\n'; repeat "$1" '<b>x</b> &#307; '; printf '\n'; }
headword() { printf 'kw: '; repeat "$1" 'ab '; printf '\nbody\n'; }
many_keys() { printf 'kw: veel\n'; for i in $(seq "$1"); do printf 'key: k%d\n' "$i"; done; printf 'body\n'; }
long lexqc_source body-line.src 3200 body_line
long lexqc_source headword.src 16000 headword
long lexqc_source keys.src 6400 many_keys

# --- lexqc_dump: compiled dictionaries ------------------------------------------------------
"$product/lexqc" build data/samples/nl-en.src "$work/nl-en.idx" --leaf-size 256 --text-size 512 \
  --fanout 3 >/dev/null
seed lexqc_dump nl-en-deep.idx < "$work/nl-en.idx"
"$product/lexqc" build data/samples/en-nl.src "$work/en-nl.idx" --encipher \
  --crypt "$product/crypt.dll" >/dev/null
seed lexqc_dump en-nl-enciphered.idx < "$work/en-nl.idx"

# --- dictd: .index and .dict(.dz), one byte for the layout ----------------------------------
# The first index lines whose entries lie in the first BYTES of the text.
dictd_slice() {  # dictd_slice NAME BYTES LINES
  head -c "$2" < <(zcat "$dictd/$1.dict.dz") > "$work/$1.dict"
  awk -F'\t' -v limit="$2" -v lines="$3" '
    function number(s,   i, n) {
      n = 0
      for (i = 1; i <= length(s); i++)
        n = n * 64 + index("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/",
                           substr(s, i, 1)) - 1
      return n
    }
    NF >= 3 && number($(NF-1)) + number($NF) <= limit && kept < lines { print; kept++ }
  ' "$dictd/$1.index" > "$work/$1.index"
  dictzip -k "$work/$1.dict"
}
dictd_slice freedict-nld-eng 4000 40
dictd_slice freedict-eng-nld 4000 40
dictd_slice wn 4000 30
{ printf '\001'; join_parts "$work/freedict-nld-eng.index" "$work/freedict-nld-eng.dict.dz"; } |
  seed dictd freedict-nld-eng
{ printf '\201'; join_parts "$work/freedict-eng-nld.index" "$work/freedict-eng-nld.dict"; } |
  seed dictd freedict-eng-nld-plain
{ printf '\002'; join_parts "$work/wn.index" "$work/wn.dict.dz"; } | seed dictd wordnet
{ printf '\000'; join_parts "$work/wn.index" "$work/wn.dict"; } | seed dictd wordnet-as-plain
# Long lines: one entry's text, a WordNet gloss full of references, a headword.
dictd_input() {  # dictd_input LAYOUT WORD: the text on stdin, one entry of it
  local text
  text="$(cat)"
  printf "\\$(printf %03o "$1")"
  printf '%s\tA\t%s\n' "$2" "$(dictd_number "${#text}")"
  separator
  printf '%s' "$text"
}
text_line() { repeat "$1" 'woord ' | dictd_input 0 lang; }
wordnet_refs() { { printf 'dog\n    n 1: a dog '; repeat "$1" '[syn: {a}] '; } | dictd_input 2 dog; }
wordnet_senses() { { printf 'dog\n'; repeat "$1" '    n 1: a dog
'; } | dictd_input 2 dog; }
index_word() { printf 'x' | dictd_input 0 "$(repeat "$1" 'ab ')"; }
long dictd text-line 8000 text_line
long dictd wordnet-refs 4800 wordnet_refs
long dictd wordnet-senses 3200 wordnet_senses
long dictd index-word 16000 index_word

# --- stardict: .ifo, .idx, .dict and .syn -------------------------------------------------
# stardict_book DIR SEQUENCE: the entries of DIR/entries (word TAB data-file) as DIR/book.*
stardict_book() {
  local dir=$1 sequence=$2 offset=0 count=0 word data size
  : > "$dir/book.idx"
  : > "$dir/book.dict"
  while IFS=$'\t' read -r word data; do
    size=$(wc -c < "$dir/$data")
    cat "$dir/$data" >> "$dir/book.dict"
    { printf '%s\0' "$word"; be32 "$offset"; be32 "$size"; } >> "$dir/book.idx"
    offset=$((offset + size))
    count=$((count + 1))
  done < "$dir/entries"
  { printf "StarDict's dict ifo file\nversion=2.4.2\nbookname=Proefboek\n"
    printf 'wordcount=%d\nidxfilesize=%d\n' "$count" "$(wc -c < "$dir/book.idx")"
    [ -z "$sequence" ] || printf 'sametypesequence=%s\n' "$sequence"; } > "$dir/book.ifo"
}
star="$work/star"
mkdir -p "$star"
printf 'house\nhome' > "$star/huis"
printf '<b>boom</b><br><i>tree</i><table><tr><td>x</td></tr></table>' > "$star/boom"
printf 'fiets' > "$star/fiets"
printf 'huis\tnl-huis\nboom\tnl-boom\nfiets\tnl-fiets\n' > "$star/entries"
cp "$star/huis" "$star/nl-huis"; cp "$star/boom" "$star/nl-boom"; cp "$star/fiets" "$star/nl-fiets"
stardict_book "$star" m
join_parts "$star/book.ifo" "$star/book.idx" "$star/book.dict" | seed stardict plain-m
stardict_book "$star" h
{ printf 'woning\0'; be32 0; printf 'rijwiel\0'; be32 2; } > "$star/book.syn"
sed -i 's/^wordcount=3$/wordcount=3\nsynwordcount=2/' "$star/book.ifo"
gzip -n -c "$star/book.idx" > "$star/book.idx.gz"
dictzip -k "$star/book.dict"
join_parts "$star/book.ifo" "$star/book.idx.gz" "$star/book.dict.dz" "$star/book.syn" |
  seed stardict html-gzip-syn
# Every field with its own type: text, phonetics, XDXF and a picture with its size.
{ printf 'mhuis\0t/hoeys/\0x<k>huis</k> <dtrn>house</dtrn>\0P'; be32 4; printf 'PNG.'; } \
  > "$star/nl-huis"
printf 'gpango <span foreground="red">boom</span>\0' > "$star/nl-boom"
printf 'mfiets\0' > "$star/nl-fiets"
stardict_book "$star" ""
join_parts "$star/book.ifo" "$star/book.idx" "$star/book.dict" | seed stardict typed-fields
# Long lines: markup of unclosed tags, text of one line, tags that are no tags.
one_entry() {  # one_entry SEQUENCE: the entry's data on stdin
  cat > "$star/nl-huis"
  printf 'huis\tnl-huis\n' > "$star/entries"
  stardict_book "$star" "$1"
  join_parts "$star/book.ifo" "$star/book.idx" "$star/book.dict"
}
markup_opens() { repeat "$1" '<' | one_entry h; }
markup_rows() { { repeat "$1" '<tr'; printf '>x'; } | one_entry g; }
text_field() { repeat "$1" 'boom ' | one_entry m; }
long stardict markup-opens 48000 markup_opens
long stardict markup-rows 16000 markup_rows
long stardict text-field 9600 text_field

# --- wordforms: the word-form tables, and typed words ---------------------------------------
for table in data/wordforms/*.tsv; do
  language=$(basename "$table" .tsv)
  [ "$language" = en ] && lead='\001' || lead='\000'
  { printf "$lead"; cat "$table"; } | seed wordforms "$language.tsv"
done
{ printf '\000'; printf 'lopen\tliep\tliepen\tgelopen\nkind\tkinderen\n'; separator
  printf 'liepen\nschoolkinderen\nopgebeld\nverkocht\n gefietst \nĲsberen\nstraten\n'; } |
  seed wordforms typed-dutch
{ printf '\001'; printf 'go\twent\tgone\nmouse\tmice\n'; separator
  printf "wolves\ncarried\nmice's\nhoping\nbiggest\n"; } | seed wordforms typed-english
table_line() { printf '\000'; repeat "$1" 'lopen\t'; printf 'liep\n'; }
table_lines() { printf '\001'; for i in $(seq "$1"); do printf 'w%d\tv%d\tgo\n' "$i" "$i"; done; }
long wordforms table-line 8000 table_line
long wordforms table-lines 3200 table_lines
# --- inifile: dict.cfg and the books' .def files ---------------------------------------------
for file in data/dict.cfg data/*.def; do seed inifile "$(basename "$file")" < "$file"; done
{ printf '\357\273\277[dictionaries]\r\nnl="1;Nederlands-Engels"\rfr = \047 0;Fran\347ais \047\n'
  printf '[Dictionary]\n Fluency = 0x1 \nfluencyfld=$5\n[dictionary]\nstylesheet=twee.css\n'; } |
  seed inifile hand-edited.cfg

# --- resulttable: the result tables of real searches in the bundled books ---------------------
# --- dsl: the .dsl text and its abbreviations -------------------------------------------
# Slices of Debian's WordNet DSL book (goldendict-wordnet), in its own UTF-8 with a mark,
# as UTF-16LE and dictzip, with its UTF-16 abbreviations file, and crafted cards.
wndsl=/usr/share/goldendict-wordnet/goldendict-wordnet.dsl.dz
if [ -f "$wndsl" ]; then
  abrv=/usr/share/goldendict-wordnet/goldendict-wordnet_abrv.dsl
  zcat "$wndsl" | head -c 3000 > "$work/wn-head.dsl"
  zcat "$wndsl" | head -n 40 > "$work/wn-lines.dsl"
  join_parts "$work/wn-head.dsl" "$abrv" | seed dsl wordnet-head
  { printf '\357\273\277#NAME "x"\n'; zcat "$wndsl" | sed -n '654755,654790p'; } | seed dsl wordnet-escapes
  iconv -f UTF-8 -t UTF-16LE "$work/wn-lines.dsl" | seed dsl wordnet-utf16
  gzip -c "$work/wn-lines.dsl" | seed dsl wordnet-gzip
  head -c 1500 "$abrv" | seed dsl abbreviations-cut
fi
printf '#NAME "t"\n#INDEX_LANGUAGE "Russian"\n\n{to }go(ing)\n\\{x\\}\n\t[m1][p]v[/p] ~ <<walk>> [ref]run[/ref]\n\t[m2][*][ex]ex[/ex][/*] [s]a.wav[/s] [c #ff0000]r[/c]\n\t@ sub\n{{comment\n}}next\n\t[unknown]x[/b]\n' \
  | seed dsl crafted-cards
printf '#NAME "c"\n#SOURCE_CODE_PAGE "Cyrillic"\n\xf1\xeb\xee\xe2\xee\n\t\xf1\xeb\xee\xe2\xee\n' | seed dsl cp1251
printf '#INCLUDE "4"\nword\n\tbody\n' | seed dsl include

python3 - "$product/lexqapi.so" "$product/data" fuzz/resulttable/corpus/resulttable <<'PYTHON'
import ctypes, os, sys
lexq = ctypes.CDLL(sys.argv[1])
lexq.lexq_init.argtypes = [ctypes.c_char_p]
lexq.lexq_search.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
lexq.lexq_free_searchresult.argtypes = [ctypes.c_void_p]
words = {"en": "house set run go the", "nl-en": "huis lopen de een op",
         "de-nl": "Haus gehen der", "nl-de": "huis lopen", "fr-nl": "maison aller",
         "nl-fr": "huis lopen"}
for book, wanted in words.items():
    if lexq.lexq_init(os.path.join(sys.argv[2], book + ".idx").encode()) != 0:
        continue
    for word in wanted.split():
        table = ctypes.c_void_p()
        if lexq.lexq_search(word.encode("cp1252"), ctypes.byref(table)) == 0 and table.value:
            with open(os.path.join(sys.argv[3], "seed-%s-%s" % (book, word)), "wb") as out:
                out.write(ctypes.string_at(table.value))
            lexq.lexq_free_searchresult(table)
PYTHON

# UTF-8 books for lexq_utf8: a slice of the Polish-Dutch book with words of other scripts,
# in one block, in small blocks under a deep index, and enciphered.
if [ -f "$dictd/freedict-pol-nld.index" ]; then
  "$product/lexqc" import-dictd "$dictd/freedict-pol-nld.index" "$dictd/freedict-pol-nld.dict.dz" \
    "$work/pl-nl.src" --dir pl-nl --freedict >/dev/null 2>&1
  {
    awk 'BEGIN{RS="";ORS="\n\n"} NR>1 && NR<=50' "$work/pl-nl.src"
    awk 'BEGIN{RS="";ORS="\n\n"} /^kw: (żona|się|łódź|Łódź|żółw)\n/' "$work/pl-nl.src"
    printf 'kw: Ελληνικά\ndir: el-nl\n<p>Grieks</p>\n\nkw: ёлка\nkey: Ёлка\ndir: ru-nl\n'
    printf '<p>kerstboom</p>\n\nkw: İstanbul\ndir: tr-nl\n<p>Istanboel</p>\n\n'
    printf 'kw: straße\ndir: de-nl\n<p>straat</p>\n'
  } >"$work/slice.src"
  utf8=fuzz/lexq/corpus/lexq_utf8
  mkdir -p "$utf8"
  "$product/lexqc" build "$work/slice.src" "$utf8/seed-pl-plain.idx" >/dev/null
  "$product/lexqc" build "$work/slice.src" "$utf8/seed-pl-deep.idx" --leaf-size 256 \
    --text-size 1024 --fanout 3 >/dev/null
  "$product/lexqc" build "$work/slice.src" "$utf8/seed-pl-enciphered.idx" --leaf-size 512 \
    --text-size 2048 --encipher >/dev/null
fi
echo "seeds written under fuzz/*/corpus/"
