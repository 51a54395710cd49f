#!/usr/bin/env bash
# The documents a user reads against what ships: every picture a Markdown file shows exists (a
# picture of the window in docs/screenshots also at twice the scale), and every option given to
# ostrivane-cli in them is one that `ostrivane-cli help COMMAND` lists for that command.
#   check_docs.sh CLI FILE.md...
set -uo pipefail
cli="$1"; shift
failures=0
fail() { echo "$*" >&2; failures=$((failures + 1)); }

declare -A helps
help_of() {  # the help text of a command ("" for the overview, "config put" for a sub-command)
  local key="${1:-_}"
  if [ -z "${helps[$key]+set}" ]; then
    # shellcheck disable=SC2086 # the words of a sub-command are separate arguments
    helps[$key]="$("$cli" help $1 2>/dev/null)" || helps[$key]=""
  fi
  printf '%s' "${helps[$key]}"
}
[ -n "$(help_of "")" ] || fail "ostrivane-cli help printed nothing"

for doc in "$@"; do
  folder="$(dirname "$doc")"
  # Pictures: ![text](path) and <img src="path">, relative to the document.
  while IFS= read -r picture; do
    [ -n "$picture" ] || continue
    case "$picture" in http*) continue ;; esac
    [ -f "$folder/$picture" ] || fail "$doc: picture $picture is missing"
    case "$picture" in
      */screenshots/*@2x.png|screenshots/*@2x.png) ;;
      */screenshots/*.png|screenshots/*.png)
        [ -f "$folder/${picture%.png}@2x.png" ] || fail "$doc: picture $picture has no @2x copy" ;;
    esac
  done < <(grep -oE '!\[[^]]*\]\([^)]+\)|\]\([^)]+\.png\)' "$doc" | sed -E 's/.*\(([^)]+)\)/\1/')

  # Command lines: every "ostrivane-cli COMMAND [SUB-COMMAND] ... --option" in the text or in code.
  while IFS= read -r line; do
    read -r _ first second _ <<<"$line"
    text=""
    [[ ${second:-} =~ ^[a-z]+$ ]] && text="$(help_of "$first $second")"
    [ -n "$text" ] || text="$(help_of "$first")"
    [ -n "$text" ] || { fail "$doc: unknown command '$first' in: $line"; continue; }
    for option in $(grep -oE '(^| )--[a-z][a-z0-9-]*' <<<"${line#*ostrivane-cli}" | tr -d ' '); do
      grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" ||
        fail "$doc: '$first' has no option $option ($line)"
    done
  done < <(grep -oE 'ostrivane-cli +[a-z][^`|;&>]*' "$doc" | grep -vE 'ostrivane-cli +(help|COMMAND)( |$)')
done

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) in the documents" >&2
  exit 1
fi
echo "documents checked: $*"
