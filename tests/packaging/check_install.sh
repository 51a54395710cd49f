#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the installed tree as a desktop would
# see it: the programs run from there, the desktop entry and AppStream metadata validate.
# Usage: check_install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
app=org.ostrivane.Ostrivane
failed=0
expect_file() {
  if [[ -s $usr/$1 ]]; then echo "ok: $1"; else echo "MISSING: $1"; failed=1; fi
}

for program in ostrivane ostrivane-cli ostrivane-sim; do
  expect_file "bin/$program"
  expect_file "share/man/man1/$program.1.gz"
  # Every program names the same version; the window's must not need a display for it.
  printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$program" --version)
  if [[ $printed == *" $version" ]]; then
    echo "ok: $program --version: $printed"
  else
    echo "WRONG: $program --version printed '$printed', expected version $version"
    failed=1
  fi
  if ! gzip -dc "$usr/share/man/man1/$program.1.gz" | grep -q '^\.SH OPTIONS'; then
    echo "WRONG: the manual page of $program has no options"
    failed=1
  fi
  if ! gzip -dc "$usr/share/man/man1/$program.1.gz" | grep -q 'guide\.md'; then
    echo "WRONG: the manual page of $program does not point to the installer's guide"
    failed=1
  fi
done
for size in 16 32 48 64 128 256; do
  icon="share/icons/hicolor/${size}x${size}/apps/$app.png"
  expect_file "$icon"
  if ! file "$usr/$icon" | grep -q "PNG image data, $size x $size"; then
    echo "WRONG: $icon is not a $size px PNG"
    failed=1
  fi
done
expect_file "share/applications/$app.desktop"
expect_file "share/metainfo/$app.metainfo.xml"
expect_file "share/bash-completion/completions/ostrivane-cli"
expect_file "share/doc/ostrivane/copyright"
expect_file "share/doc/ostrivane/changelog.gz"
expect_file "share/licenses/ostrivane/LICENSE"
expect_file "share/doc/ostrivane/guide.md"
# The installed guide shows its pictures from beside it.
for picture in $(grep -oE '\(screenshots/[^)]+\.png\)' "$usr/share/doc/ostrivane/guide.md" | tr -d '()' | sort -u); do
  expect_file "share/doc/ostrivane/$picture"
done

# The completion offers the commands and the options of the program it completes.
completion=$(bash -c "
  _init_completion() { cur=\${COMP_WORDS[COMP_CWORD]}; prev=\${COMP_WORDS[COMP_CWORD-1]};
                       words=(\"\${COMP_WORDS[@]}\"); cword=\$COMP_CWORD; }
  _filedir() { :; }
  source '$usr/share/bash-completion/completions/ostrivane-cli'
  COMP_WORDS=(ostrivane-cli con); COMP_CWORD=1; _ostrivane_cli; echo \"\${COMPREPLY[*]}\"
  COMP_WORDS=(ostrivane-cli config ''); COMP_CWORD=2; _ostrivane_cli; echo \"\${COMPREPLY[*]}\"")
if [[ $completion == $'config\nget put diff apply' ]]; then
  echo "ok: bash completion"
else
  echo "WRONG: bash completion gave: $completion"
  failed=1
fi

desktop-file-validate "$usr/share/applications/$app.desktop" || failed=1
appstreamcli validate --no-net "$usr/share/metainfo/$app.metainfo.xml" || failed=1
exit $failed
