#!/usr/bin/env bash
# Sets up, builds and passes every test: the unit and end-to-end tests in a
# normal build (build-test/), then the unit tests again under AddressSanitizer
# and UBSan (build-asan/). A skipped test fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

# The end-to-end tests start their own Xorg servers, which takes root.
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "test: run me as root" >&2; exit 1; }
  echo "test: the end-to-end tests need root; running again with sudo"
  exec sudo -- bash scripts/test.sh "$@"
fi

bash scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
summary=$(mktemp /tmp/tarnwick-ctest.XXXXXX)
# Qt makes /tmp/runtime-$USER when this is unset, and leaves it.
XDG_RUNTIME_DIR=$(mktemp -d /tmp/tarnwick-runtime.XXXXXX)
export XDG_RUNTIME_DIR
failed=0
finish() {
  rm -rf "$summary" "$XDG_RUNTIME_DIR"
  # Under sudo, the build folders stay the calling user's.
  if [ -n "${SUDO_UID:-}" ] && [ "${SUDO_UID}" != 0 ]; then
    chown -R "$SUDO_UID:$SUDO_GID" build-test build-asan 2>/dev/null || true
  fi
}
trap finish EXIT

# ctest counts a skipped test as passed; here it fails the run, so that a test
# that cannot run here is never taken for one that passed. A failed stage does
# not stop the next one: the exit status tells at the end.
run_ctest() {
  ctest "$@" 2>&1 | tee "$summary" || failed=1
  if grep -q '^The following tests did not run:' "$summary"; then
    echo "test: FAILED: the tests listed above did not run" >&2
    failed=1
  fi
}

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j "$jobs"
run_ctest --test-dir build-test -j "$jobs" --timeout 600 "$@"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON -DTARNWICK_E2E=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest --test-dir build-asan -L unit -j "$jobs" --timeout 600

if ((failed)); then
  echo "test: FAILED" >&2
  exit 1
fi
echo "test: every test passed"
