# Installs clang with its libFuzzer and sanitizer runtimes. Sourced; defines functions only.
# shellcheck shell=bash
#
#   install_clang_with_runtime REPO   installs clang, then the runtime package named after the
#                                     major version of the clang found first on PATH (the one the
#                                     builds use): libclang-rt-14-dev on Debian 12, -19- on 13.
# clang only recommends its runtime, and installs here leave recommends out.
install_clang_with_runtime() {
  local repo=$1 version
  bash "$repo/scripts/install-packages.sh" clang
  version=$(clang -dumpversion) || return 1
  if [[ ! "${version%%.*}" =~ ^[0-9]+$ ]]; then
    echo "cannot tell clang's major version from 'clang -dumpversion' ($version)" >&2
    return 1
  fi
  bash "$repo/scripts/install-packages.sh" "libclang-rt-${version%%.*}-dev"
}
