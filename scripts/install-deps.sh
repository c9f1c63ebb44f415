#!/usr/bin/env bash
# Installs, through apt-get, whatever the build and the tests need and the machine lacks.
# Sourced or run by the other scripts; does nothing when everything is present.
set -euo pipefail

missing=()
need_command() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need_file() { [ -e "$1" ] || missing+=("$2"); }

need_command cmake cmake
need_command ninja ninja-build
need_command g++ g++
need_command nm binutils
need_command pkg-config pkg-config
need_command dpkg-shlibdeps dpkg-dev
need_command localedef locales
need_file /usr/share/i18n/charmaps/ISO-8859-1.gz locales
need_file /usr/include/gtest/gtest.h libgtest-dev
need_file /usr/include/gmock/gmock.h libgmock-dev
need_file /usr/include/openssl/evp.h libssl-dev
need_file /usr/include/benchmark/benchmark.h libbenchmark-dev
# Xsl2Xslx converts through LibreOffice, and its tests run the real converter.
need_command soffice libreoffice-calc-nogui
# The ABI baseline of the bridge library (test/abi/check_abi.sh).
need_command abidw abigail-tools
# The Windows build: the mingw-w64 cross-compiler (posix threads flavour, see cmake/mingw-w64.cmake)
# and Wine to run its tests.
need_command x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need_file /usr/lib/wine/wine64 wine64
need_file /usr/src/googletest/CMakeLists.txt googletest
# The reliability checks: valgrind's memcheck, and libFuzzer targets built with clang 14, whose
# fuzzer and sanitizer runtimes (and FuzzedDataProvider.h) come in libclang-rt-14-dev.
need_command valgrind valgrind
need_command clang++ clang
compgen -G "/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
  missing+=(libclang-rt-14-dev)

if [ ${#missing[@]} -gt 0 ]; then
  mapfile -t packages < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "installing: ${packages[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi
