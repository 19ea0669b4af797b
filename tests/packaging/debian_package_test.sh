#!/usr/bin/env bash
# Makes the .deb of a build folder and checks it with Debian's own tools:
# lintian, desktop-file-validate, appstreamcli, man's warnings on the four
# manual pages, and the bash completion against the options the packaged
# quilbert-cli itself declares.
#   tests/packaging/debian_package_test.sh BUILD_DIR [BUILD_TYPE]
set -euo pipefail
build=$(realpath "$1")
type=${2:-}
source_dir=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb=$(echo "$work"/quilbert_*.deb)
echo "package: ${deb##*/}"

# Errors and warnings fail, as in Debian's archive; so does any hardening
# tag, though lintian calls some of them information.
lintian_out=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) ||
  fail "lintian"
echo "$lintian_out" | grep -v 'running with root privileges' || true
if echo "$lintian_out" | grep -E 'hardening-no-' | grep -vq 'hardening-no-fortify-functions'; then
  fail "lintian: a binary without Debian's hardening"
fi
root=$work/root
dpkg-deb -x "$deb" "$root"
# lintian asks for a fortified call where the compiler could only call the
# plain one (sizes known at run time): a binary that calls one fortified
# function at least was built with _FORTIFY_SOURCE. Without optimisation
# there is none to call.
if [[ $type != Debug && -n $type ]]; then
  for binary in $(echo "$lintian_out" | sed -n 's/.*hardening-no-fortify-functions \[\(.*\)\]/\1/p'); do
    imports=$(nm -D --undefined-only "$root/$binary")
    grep -v __stack_chk_fail <<<"$imports" | grep -q '__[a-z_]*_chk@' ||
      fail "lintian: $binary built without _FORTIFY_SOURCE"
  done
fi
out=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1) || fail "desktop entry"
[[ -z $out ]] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml 2>&1) ||
  fail "appstreamcli: $out"
if echo "$out" | grep -qE '^[EWI]: '; then fail "appstreamcli: $out"; fi

for page in man1/quilbert man1/quilbert-cli fr/man1/quilbert fr/man1/quilbert-cli; do
  file=$root/usr/share/man/$page.1.gz
  [[ -f $file ]] || { fail "no manual page $page"; continue; }
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
  [[ -z $out ]] || fail "man $page: $out"
done

# The completion, called as bash calls it: COMP_WORDS and COMP_CWORD in,
# COMPREPLY out. Each command's options are those its --help lists, so an
# option added to the command line and not here fails.
cli=$root/usr/bin/quilbert-cli
complete_words() {
  (
    cd "$work/files"
    source "$root/usr/share/bash-completion/completions/quilbert-cli"
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _quilbert_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
  )
}
declared_options() {
  XDG_CONFIG_HOME=$work/config QUILBERT_NETWORK=sim:$source_dir/demo/network.toml \
    "$cli" "$@" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u | tr '\n' ' '
}
mkdir -p "$work/files/maps" "$work/config"
touch "$work/files/Drives.xml"

# The packaged program opens the real network: its module is where the
# program looks, from its own folder (64: it could not).
code=0
out=$(QUILBERT_NETWORK=smb XDG_CONFIG_HOME=$work/config "$cli" status 2>&1) || code=$?
((code != 64)) || fail "the packaged quilbert-cli cannot open the real network: $out"
check_completion() {
  local expected=$1 got
  shift
  got=$(complete_words "$@")
  [[ $got == "$expected" ]] || fail "completion of '$*': got '$got', expected '$expected'"
}
while read -r words; do
  check_completion "$(declared_options ${words#quilbert-cli})" $words --
done <<'EOF'
quilbert-cli
quilbert-cli status
quilbert-cli connect
quilbert-cli disconnect
quilbert-cli browse
quilbert-cli import
quilbert-cli export
quilbert-cli passwords
EOF
check_completion "connect " quilbert-cli con
check_completion "Drives.xml maps " quilbert-cli import ""
check_completion "--help --json " quilbert-cli passwords --to-file --
check_completion "G " quilbert-cli connect f: g

if ((failed)); then exit 1; fi
echo "package checked: lintian, desktop entry, AppStream, manual pages, completion"
