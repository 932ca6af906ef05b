#!/usr/bin/env bash
# Opens the product in the given folder: the viewer when a display is there, otherwise
# a lookup in the terminal.
set -euo pipefail
product="$1"; shift
if [ -x "$product/tkviewer" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$product/tkviewer" "$@"
fi
if [ -x "$product/tkviewer" ]; then
  echo "Er is geen beeldscherm (DISPLAY) beschikbaar; hieronder een opzoeking in de terminal."
fi
if [ -x "$product/lexq" ]; then
  exec "$product/lexq" "${@:-huis}"
fi
word="${1:-huis}"
exec "$product/lexqc" lookup "$product/data/nl-en.idx" "$word"
