# What the end-to-end scripts share: counting failures, and checks of the
# registry (through `wine reg query`) and of shell links (through lnkinfo).
# Source it after scripts/wine-env.sh. With E2E_SCREENS set to a folder, a
# failure also saves the screen there, for whoever reads the log.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
  if [ -n "${E2E_SCREENS:-}" ] && command -v import >/dev/null &&
    import -window root "$E2E_SCREENS/failure-$failures.png" 2>/dev/null; then
    echo "  screen: $E2E_SCREENS/failure-$failures.png"
  fi
}
check() { local what=$1; shift; "$@" || fail "$what"; }
expect_val() { # key value expected (a string or a number)
  local got
  got=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v && ($2 == "REG_SZ" || $2 == "REG_DWORD") { sub(/^ *[^ ]+ +REG_[A-Z]+ +/, ""); print }')
  [ "$got" = "$3" ] || fail "$1 \"$2\": expected '$3', got '$got'"
}
expect_link() { # link target
  local out
  out=$(lnkinfo "$1" 2>&1)
  grep -qF "Local path			: $2" <<<"$out" || fail "link $1 should point to $2: $(grep 'Local path' <<<"$out")"
}
