#!/usr/bin/env bash
# Builds the locales that the process codec tests select through LOCPATH, so that the tests need no
# locale installed system-wide. Usage: make_test_locales.sh DIR. Locales already in DIR are kept.
set -u

dir=${1:?usage: make_test_locales.sh DIR}
sources=/usr/share/i18n/locales
charmaps=/usr/share/i18n/charmaps

if ! command -v localedef >/dev/null; then
  echo "make_test_locales: localedef not found (Debian package libc-bin)" >&2
  exit 1
fi
mkdir -p "$dir" || exit 1

status=0
for locale in en_US.UTF-8 en_US.ISO-8859-1 ru_RU.KOI8-R ja_JP.EUC-JP; do
  source=${locale%%.*}
  charmap=${locale#*.}
  [[ -f $dir/$locale/LC_CTYPE ]] && continue
  if [[ ! -f $sources/$source ]] || ! compgen -G "$charmaps/$charmap*" >/dev/null; then
    echo "make_test_locales: no source for $locale under /usr/share/i18n (Debian package locales)" >&2
    status=1
    continue
  fi
  # Built aside and moved in whole, so an interrupted run never leaves a half-made locale to skip.
  partial=$dir/.partial-$locale
  rm -rf "$partial"
  # localedef exits non-zero for mere warnings (characters the charmap lacks) even with -c, so the
  # result is judged by the files it wrote.
  localedef -c -i "$source" -f "$charmap" "$partial" >"$dir/$locale.log" 2>&1
  if [[ -f $partial/LC_CTYPE ]]; then
    rm -rf "${dir:?}/$locale"
    mv "$partial" "$dir/$locale"
    rm -f "$dir/$locale.log"
    echo "make_test_locales: built $locale"
  else
    echo "make_test_locales: localedef could not build $locale:" >&2
    cat "$dir/$locale.log" >&2
    rm -rf "$partial"
    status=1
  fi
done
exit $status
