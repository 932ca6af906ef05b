#!/usr/bin/env bash
# Opens the product in the given folder: the viewer when a display is there, otherwise
# a lookup of a sample word in the terminal.
#   tools/launch.sh PRODUCT_DIR [DICTIONARY [COMPLEMENT]]   (the viewer's own arguments)
set -euo pipefail
product="${1:?usage: tools/launch.sh PRODUCT_DIR [viewer arguments]}"
shift
word="huis"

# A display the viewer can reach: Wayland, a remote X display, or a local X display whose
# socket exists (an empty or stale DISPLAY would only give a Qt error).
have_display() {
  [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  local d="${DISPLAY:-}"
  [ -z "$d" ] && return 1
  case "$d" in
    :*)
      local n="${d#:}"
      n="${n%%.*}"
      [ -S "/tmp/.X11-unix/X$n" ]
      ;;
    *) return 0 ;;
  esac
}

if [ -x "$product/tkviewer" ] && have_display; then
  exec "$product/tkviewer" "$@"
fi

echo "No usable display (DISPLAY or WAYLAND_DISPLAY) was found, so instead of the viewer here is \"$word\" looked up in the terminal:"
if [ -x "$product/lexq" ]; then
  exec "$product/lexq" -d nl-en "$word"
fi
# The raw result table reduced to text: one hit per paragraph, one sense per line.
"$product/lexqc" lookup "$product/data/nl-en.idx" "$word" --utf8 |
  perl -CS -pe 's/\r//g; s#</tr>#\n#g; s#<td>[^<]*</td><td>[^<]*</td>##g; s#<li>#\n-#g;
                s#<[^>]*># #g; s/&#(\d+);/chr($1)/ge; s/&lt;/</g; s/&gt;/>/g;
                s/&quot;/"/g; s/&amp;/&/g; s/ +/ /g; s/^ //mg; s/ +$//mg; s/^-/  - /mg' |
  grep -v '^ *$'
