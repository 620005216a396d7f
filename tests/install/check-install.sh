#!/usr/bin/env bash
# One check of the installed tree (see CMakeLists.txt):
#   check-install.sh CHECK PREFIX SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
check=$1 prefix=$2 source_dir=$3 build_dir=$4 version=$5
here=$(cd "$(dirname "$0")" && pwd)
app_id=org.vornax.Vornax
batch=$prefix/bin/vornax-batch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

case $check in
no_build_paths)
  # Every installed file, binaries included, read as bytes.
  [ -n "$(find "$prefix" -type f)" ] || fail "nothing installed under $prefix"
  for folder in "$source_dir" "$build_dir"; do
    if found=$(grep -rlaF -- "$folder" "$prefix"); then
      fail "installed files name $folder:"$'\n'"$found"
    fi
  done
  ;;

runs_from_prefix)
  [ "$("$batch" --version)" = "vornax-batch $version" ] ||
    "$batch" --version | grep -qx "vornax-batch $version (commit [0-9a-f]*)" ||
    fail "vornax-batch --version: $("$batch" --version)"
  "$prefix/bin/vornax" --version | grep -q "^vornax $version" || fail "vornax --version"
  # Help needs no display either: it is answered before the window is made.
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/vornax" --help |
    grep -q "^Usage: vornax \[FILE.inp\]" || fail "vornax --help"
  runpath=$(readelf -d "$batch" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  [ "$runpath" = '$ORIGIN/../lib/vornax' ] || fail "RUNPATH of vornax-batch: '$runpath'"
  # A copy of the whole tree elsewhere still works: nothing depends on where it was installed.
  cp -a "$prefix" "$work/moved"
  cd "$work"
  LD_DEBUG=files "$work/moved/bin/vornax-batch" \
    "$work/moved/share/vornax/examples/01-yield-watertable.inp" --output-dir out \
    --permutations 0 --quiet --graph out/graph.svg >run.out 2>run.err ||
    fail "the run failed: $(grep -v '^ *[0-9]*:' run.err)"
  grep -q "needed by $work/moved/\(bin/\.\./\)\{0,1\}lib/vornax/libvornax-graph\.so " run.err ||
    fail "the graph library was not loaded from $work/moved/lib/vornax"
  grep -q '<svg' out/graph.svg || fail "no SVG written"
  [ -s out/01-yield-watertable.out ] || fail "no report written"
  timeout 10 "$work/moved/bin/vornax" --version >/dev/null
  ;;

desktop_files)
  desktop-file-validate "$prefix/share/applications/$app_id.desktop"
  appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
  grep -qx 'Categories=Education;Science;Math;' "$prefix/share/applications/$app_id.desktop" ||
    fail "categories"
  grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "icon name"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no SVG icon"
  for size in 48 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    # The PNG header: width and height, big-endian, at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  done
  # shared-mime-info accepts the type (it checks the file against its schema).
  mkdir -p "$work/mime/packages"
  cp "$prefix/share/mime/packages/$app_id.xml" "$work/mime/packages/"
  out=$(update-mime-database -V "$work/mime" 2>&1)
  grep -qi "error\|warning" <<<"$out" && fail "update-mime-database: $out"
  grep -q "application/x-vornax-input" "$work/mime/globs2" || fail "no glob registered"
  grep -q "application/x-vornax-input" "$work/mime/magic" || fail "no magic registered"
  ;;

mime_magic)
  # An input file written by the program from a table, beside the examples, must be known by
  # its first lines; its report and the table must not.
  printf 'Y,X\n' >"$work/t.csv"
  for i in $(seq 1 12); do printf '%s,%s\n' "$((i < 7 ? i * 2 : 12))" "$i" >>"$work/t.csv"; done
  "$batch" "$work/t.csv" --permutations 0 --quiet >/dev/null 2>&1 || true
  [ -f "$work/t.inp" ] || fail "vornax-batch wrote no t.inp from a table"
  /usr/bin/python3 "$here/mime_magic.py" "$prefix/share/mime/packages/$app_id.xml" \
    --input "$prefix"/share/vornax/examples/*.inp "$work/t.inp" \
    --other "$work/t.csv" "$work/t.out" "$source_dir/README.md"
  ;;

man_pages)
  for page in vornax vornax-batch; do
    file=$prefix/share/man/man1/$page.1.gz
    # groff's warnings (unknown requests, bad escapes) come on standard error.
    MANWIDTH=100 man --warnings=w -l "$file" >"$work/$page.txt" 2>"$work/$page.err"
    [ ! -s "$work/$page.err" ] || fail "$page.1: $(cat "$work/$page.err")"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES; do
      grep -qx "$section" "$work/$page.txt" || fail "$page.1 has no $section section"
    done
  done
  grep -q -- "--version" "$work/vornax.txt" || fail "vornax.1 does not name --version"
  grep -q -- "--help" "$work/vornax.txt" || fail "vornax.1 does not name --help"
  # The page's OPTIONS are --help's option blocks word for word; every option starts an entry,
  # and every example of --help is in the page.
  help=$("$batch" --help)
  printf '%s\n' "$help" >"$work/help.txt"
  /usr/bin/python3 "$here/man_matches_help.py" "$prefix/share/man/man1/vornax-batch.1.gz" \
    "$work/help.txt"
  options=$(sed -n 's/^ \{2\}\(-[a-z],\)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p' <<<"$help")
  [ "$(wc -l <<<"$options")" -gt 20 ] || fail "too few options read from --help"
  for option in $options; do
    grep -q -- "^ *\(-[a-z], \)\{0,1\}$option\( \|$\)" "$work/vornax-batch.txt" ||
      fail "vornax-batch.1 does not describe $option"
  done
  examples=$(sed -n '/^Examples:/,/^$/{/^  /p}' <<<"$help")
  [ -n "$examples" ] || fail "no examples in --help"
  while IFS= read -r example; do
    grep -qF -- "$(sed 's/^ *//' <<<"$example")" "$work/vornax-batch.txt" ||
      fail "vornax-batch.1 lacks the example: $example"
  done <<<"$examples"
  # The exit status paragraph of --help is the EXIT STATUS section (justified: any spacing).
  sed -n '/^EXIT STATUS$/,/^[A-Z]/p' "$work/vornax-batch.txt" | tr -s ' \n' ' ' |
    grep -q " 0 the report was written; 1 " || fail "vornax-batch.1: EXIT STATUS is not --help's"
  ;;

completion)
  cd "$work"
  mkdir results
  touch data.csv graph.svg
  # Completion as bash performs it: COMP_WORDS up to the word being completed.
  complete_words() {
    PATH="$prefix/bin:$PATH" bash -c '
      source "$1"; shift
      COMP_WORDS=("$@"); COMP_CWORD=$(( $# - 1 )); COMPREPLY=()
      _vornax_batch
      [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' \
      - "$prefix/share/bash-completion/completions/vornax-batch" vornax-batch "$@"
  }
  expect() {
    local got
    got=$(complete_words "${@:2}")
    [ "$got" = "$1" ] || fail "completing '${*:2}': got '$got', expected '$1'"
  }
  expect "cubic power quadratic s-curve " --curve ""
  expect "1 2 3 4 5 6 best partial " --prefer ""
  expect "2 3 auto " --breakpoints ""
  expect "no yes " --header ""
  expect "both x z " --use ""
  expect "90 95 98 " --confidence ""
  expect "calc-obs residuals x-z y-x y-z " --graph-kind ""
  expect "s-curve " --curve s
  expect "--graph --graph-kind --graph-size " --gra
  expect "--prefer --prefer-z " --pre
  expect "data.csv graph.svg results " ""
  expect "graph.svg " --graph g
  expect "results " --output-dir ""
  expect "results " -o r
  expect "" --y ""
  ;;

*) fail "unknown check $check" ;;
esac
echo "ok: $check"
