#!/usr/bin/env bash
# Builds the platform, core and command-line tests with ThreadSanitizer in build-tsan/
# and runs them: the read and digest threads of the document, follow mode of tervik-cli,
# the single-instance hand-over. GCC, as the Release build; no Qt, since Debian's Qt is
# not instrumented.
# Extra arguments go to ctest (e.g. -R GrowingFile).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-tsan"
source "$root/scripts/build-tree.sh"
CC=gcc CXX=g++ tervik_build_tree "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERVIK_TSAN=ON \
  -DTERVIK_WERROR=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF
# Any report fails the test that caused it; tervik-cli started by the tests reports too.
export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1"
# GCC 12's ThreadSanitizer knows the address layout of kernels with up to 28 bits of
# mmap randomisation only; with the randomisation off it runs on newer ones as well.
norand=()
setarch "$(uname -m)" -R true 2>/dev/null && norand=(setarch "$(uname -m)" -R)
# The long randomised comparisons with a reference model compute on one thread: under
# ThreadSanitizer they take minutes and show nothing the ASan run does not.
long='LineSelectionTest.AgreesWithPerLineReference|SearchEngineTest.(Utf8DisplayHitsAgreeWith|AgreesWithPlain)PerLineReference'
long+='|SearchEngineTest.BackwardHitsAreTheForwardHitsReversed|RecordCutter.MatchesTheReferenceOnRandomInput'
long+='|PrintPager.PagesAreTheirShareOfThePieceList'
cd "$build"
"${norand[@]}" ctest --output-on-failure -j"$(nproc)" -E "^($long)\$" "$@"
