#!/usr/bin/env bash
# Checks that built programs and libraries are hardened as a distribution
# hardens its own:
#   - a program is position-independent (PIE);
#   - full RELRO: the relocations are made read-only (GNU_RELRO) after all
#     of them are bound at start (BIND_NOW);
#   - stack protection (calls to __stack_chk_fail);
#   - _FORTIFY_SOURCE: the printf family, which the C library always
#     replaces with its checked variants when fortified, is called only
#     through them (__fprintf_chk, __snprintf_chk, ...).
#
#   hardened.sh FILE...
#
# Ends with 1 and one line per finding on standard error when any fails.
set -euo pipefail
command -v readelf >/dev/null || { echo "needs readelf (binutils)" >&2; exit 1; }
failed=0
for file in "$@"; do
  fail() { echo "FAILED: $file: $1" >&2; failed=1; }
  header=$(readelf -hW "$file")
  segments=$(readelf -lW "$file")
  dynamic=$(readelf -dW "$file")
  imports=$(readelf --dyn-syms -W "$file" | awk '$7 == "UND" { sub(/@.*/, "", $8); print $8 }' | sort -u)

  grep -q 'Type:[[:space:]]*DYN' <<<"$header" || fail "not position-independent"
  grep -q 'GNU_RELRO' <<<"$segments" || fail "no read-only relocations (GNU_RELRO)"
  grep -Eq '\(BIND_NOW\)|\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*[[:space:]]NOW' <<<"$dynamic" \
    || fail "relocations not bound at start (BIND_NOW)"
  grep -qx '__stack_chk_fail' <<<"$imports" || fail "no stack protection (__stack_chk_fail)"
  unchecked=$(grep -Ex '(v?f?printf|v?s?n?printf|vsprintf|vsnprintf)' <<<"$imports" | tr '\n' ' ' || true)
  [ -z "$unchecked" ] || fail "unchecked printf-family calls (no _FORTIFY_SOURCE): $unchecked"
done
[ "$failed" -eq 0 ] && echo "hardened: $*"
exit "$failed"
