# Sourced by the shell tests. `missing WHAT`: a tool or service the test needs is
# not there. By hand the test is skipped (exit 77, CTest's SKIP_RETURN_CODE);
# under the test command (CORVALE_REQUIRE_ALL=1) it fails, naming what is missing.
missing() {
  if [ "${CORVALE_REQUIRE_ALL:-}" = 1 ]; then
    echo "FAIL: missing: $*" >&2
    exit 1
  fi
  echo "$*: skipped (set CORVALE_REQUIRE_ALL=1 to fail instead)"
  exit 77
}

# `available TOOL...`: true when every TOOL is on the PATH. By hand a missing one
# makes it false (the caller leaves that check out); under the test command the
# test fails at once, naming it.
available() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 && continue
    [ "${CORVALE_REQUIRE_ALL:-}" = 1 ] && missing "$tool"
    return 1
  done
}
