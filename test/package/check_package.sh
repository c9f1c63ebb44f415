#!/usr/bin/env bash
# Builds the Debian package from a build tree, compares its contents with the committed list and,
# when run as root, installs it, builds the example hosts against the installed package and removes
# it again. Usage: check_package.sh BUILD_DIR [--update]
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/vantrel-bridge_*.deb | head -n 1)
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | LC_ALL=C sort)
if [ "${2:-}" = --update ]; then
  printf '%s\n' "$contents" >"$here/contents.txt"
  exit 0
fi
diff -u "$here/contents.txt" <(printf '%s\n' "$contents") || {
  echo "package contents differ from test/package/contents.txt" >&2
  exit 1
}
echo "package contents match ($(printf '%s\n' "$contents" | wc -l) entries): $(basename "$deb")"

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: skipping the install of the package"
  exit 0
fi
if [ "$(dpkg-query -W -f='${Status}' vantrel-bridge 2>/dev/null)" = "install ok installed" ]; then
  echo "vantrel-bridge is already installed on this system: skipping the install check"
  exit 0
fi
trap 'dpkg -P vantrel-bridge >/dev/null' EXIT
dpkg -i "$deb" >/dev/null
bash "$root/test/consumer/run_consumers.sh" /usr "$root/examples" "$build/package-consumers"
echo "the installed package serves both consumers"
