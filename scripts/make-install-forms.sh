#!/usr/bin/env bash
# Writes the program's form file and language file into install/, as a
# Windows installation holds them: code page 850 bytes, CR LF line ends.
# The texts below are UTF-8; iconv refuses any character the code page lacks.
#   scripts/make-install-forms.sh           rewrite the two files
#   scripts/make-install-forms.sh --check   fail when they differ from this
set -euo pipefail
install=$(cd "$(dirname "$0")/.." && pwd)/install

to_windows() { iconv -f UTF-8 -t CP850 | sed 's/$/\r/'; }

form() {
  cat <<'TEXT'
' Form of the expense-type program.
' Header: number of pages, most fields a page has.
2,88
' Page 1: the table, two columns of code and description pairs on rows 4
' to 25, numbered down the left column first, then down the right one.
' Enter, Esc, PgUp, PgDn, Up, Down, and F10 to leave saving the changes.
' Then field_count, next_page, and the window (none). Each field: row,
' column, label, length, line_width, trail_width, flags, check
' (1: unique), browse_list, choices.
"d,1b,4900,5100,4800,5000,4400",88,0,0,0,0,0
TEXT
  local column row
  for column in 1 42; do
    for row in $(seq 4 25); do
      echo "$row,$column,\"\",2,0,0,0,1,0,\"\""
      echo "$row,$((column + 8)),\"\",25,0,0,0,0,0,\"\""
    done
  done
  cat <<'TEXT'
' Page 2: the question asked before leaving without saving, in a window.
' The answer S leaves; N comes first, so a blank answer shows No and Enter
' keeps the changes.
"d,1b",1,0,10,21,14,59
2,3,"Sortir i perdre els canvis?  ",1,0,2,0,0,0,"|N,No|S,Sí"
TEXT
}

# Catalan, Galician, Occitan (Aranese), Spanish.
language() {
  cat <<'TEXT'
"VERTICAL","VERTICAL","VERTICAU","VERTICAL"
"PANTALLA ","PANTALLA ","ECRAN ","PANTALLA "
"CODI    DESCRIPCIÓ","CÓDIGO  DESCRICIÓN","CÒDI    DESCRIPCION","CÓDIGO  DESCRIPCIÓN"
"Sortir i perdre els canvis?  ","Saír e perder os cambios?  ","Gessir e pèrder es cambis?  ","¿Salir y perder los cambios?  "
"|N,No|S,Sí","|N,Non|S,Si","|N,Non|S,Òc","|N,No|S,Sí"
TEXT
}

out=$install
if [ "${1:-}" = --check ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  mkdir -p "$out/FORMS" "$out/LOCALE"
fi
form | to_windows >"$out/FORMS/EXPTYPES.JPN"
language | to_windows >"$out/LOCALE/EXPTYPES.LNG"

if [ "${1:-}" = --check ]; then
  cmp "$out/FORMS/EXPTYPES.JPN" "$install/FORMS/EXPTYPES.JPN"
  cmp "$out/LOCALE/EXPTYPES.LNG" "$install/LOCALE/EXPTYPES.LNG"
fi
