# Sourced by the scripts that keep a build tree of their own (sanitizers, fuzzing,
# Windows): tervik_build_tree BUILD_DIR [CMAKE-OPTION...] [-- TARGET...]
# Configures BUILD_DIR with Ninja and the options once, when it has no build yet, then
# builds the targets (everything when none are named). Progress and CMake's status lines
# are noise; errors and warnings are printed. Fails when the build fails.
tervik_build_tree() {
  local build=$1
  shift
  local options=()
  while (($#)) && [[ $1 != -- ]]; do
    options+=("$1")
    shift
  done
  (($#)) && shift
  local targets=("$@")
  local source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$source" -B "$build" -G Ninja "${options[@]}" >/dev/null
  fi
  local status=0
  cmake --build "$build" ${targets[@]+--target "${targets[@]}"} -- -j"$(nproc)" \
    >"$build/.build.log" 2>&1 || status=$?
  grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do|-- )' "$build/.build.log" || true
  return $status
}
