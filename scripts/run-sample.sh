#!/usr/bin/env bash
# The main job: builds the library and its command-line host, then runs the host's guided demo over
# the shipped sample model (arguments are passed on to `vantrel-host demo`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantrel_host
./build/default/tools/vantrel_host/vantrel-host demo "$@"
