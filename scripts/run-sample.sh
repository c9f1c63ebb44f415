#!/usr/bin/env bash
# The main job: builds the library and runs the sample host against it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantrel_sample_host
./build/default/examples/vantrel_sample_host "$@"
