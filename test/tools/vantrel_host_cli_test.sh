#!/usr/bin/env bash
# vantrel-host tried as a new user would: every subcommand's --help, one real call of each, and the
# exit codes for library errors (1) and bad command lines (2). Usage: vantrel_host_cli_test.sh HOST SAMPLE_MODEL
set -uo pipefail
host=$1 model=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$model"/* "$work"/
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every command the help lists answers --help with its usage.
mapfile -t commands < <("$host" --help | awk '/^  [A-Za-z]/ { print $1 }' | sort -u)
[ "${#commands[@]}" -ge 66 ] || fail "help lists only ${#commands[@]} commands"
for command in "${commands[@]}"; do
  "$host" "$command" --help | grep -q "^Usage: vantrel-host $command" || fail "$command --help"
done

# One real call of each operation: arguments, then a pattern the output must match.
cipher=$("$host" EcryptString "secret text" key)
calls=(
  "Test|hello from the test|true"
  "TestSet|value|"
  "TestGet||"
  "EcryptString|plain;key|^v1:"
  "DcryptString|$cipher;key|^secret text$"
  "Copy|$work;$work;false;case_0001.dat;copy.dat;0|^1$"
  "CopySimple|$work;$work;false;case_0001.dat;simple.dat|^1$"
  "CopySimpleKerno|$work;$work;false;case_0001.dat;kerno.dat|^1$"
  "Rename|$work;$work;false;kerno.dat;renamed.dat|^1$"
  "Delete|$work;$work;false;renamed.dat|^1$"
  "Open|$work;$work;false;README.txt;1|/README.txt$"
  "GetFileList|$work;false;case_*.dat|^case_0001.dat$"
  "CloseExcel|$work;$work;false;book.xlsx|^false$"
  "CloseAnalyticsFiles|$work;$work;false|^true$"
  "LoadText|$work/README.txt|Sample model"
  "IsMsOleDbSqlInstalled||^(true|false)$"
  "IsBrevikInstalled||^(true|false)$"
  "OpenAndWait|true;|^0$"
  "GetEnvUserName||."
  "GetEnvUserDomain||"
  "GetEnvMachineDomain||"
  "GetEnvMachineName||."
  "CaesarCipher12Net|Hello;true|^Tqxx\\{$"
  "Interpolate|0,10;0,100;2.5|^dY 25$"
  "GetExtendedTag|$work/model.tags;BALCRD01|^Balance.Crude.Period 1$"
)
for call in "${calls[@]}"; do
  IFS='|' read -r command arguments pattern <<<"$call"
  IFS=';' read -r -a words <<<"$arguments"
  [[ "$arguments" == *";" ]] && words+=("")
  output=$("$host" "$command" "${words[@]}" 2>&1) || fail "$command exited with $?: $output"
  [ -z "$pattern" ] || grep -Eq "$pattern" <<<"$output" || fail "$command printed: $output"
done
# Xsl2Xslx needs LibreOffice, which the spreadsheet tests exercise; here only its failure path.
"$host" Xsl2Xslx "$work/missing.xls" "$work/out.xlsx" 2>"$work/err"
[ $? -eq 1 ] && grep -q "^Xsl2Xslx: " "$work/err" || fail "Xsl2Xslx error: $(cat "$work/err")"
# Every file-name getter, with and without its number.
for command in "${commands[@]}"; do
  case $command in Get*FileName | GetCaseNumberAsFormattedString)
    usage=$("$host" "$command" --help | grep -c "^Usage: vantrel-host $command <")
    if [ "$usage" -gt 0 ]; then "$host" "$command" 7 >/dev/null || fail "$command 7"; fi
    if "$host" "$command" --help | grep -qx "Usage: vantrel-host $command"; then
      "$host" "$command" >/dev/null || fail "$command"
    fi
  esac
done

# A library error: one line naming the operation, exit code 1.
"$host" LoadText "$work/no such file" 2>"$work/err" >/dev/null
status=$?
[ $status -eq 1 ] || fail "library error exit code $status"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^LoadText: " "$work/err" || fail "library error line: $(cat "$work/err")"
# Bad command lines: usage help and exit code 2.
for bad in "NoSuchCommand" "Copy too few" "GetXLPFileName notanumber" "Interpolate 1,2 1 0.5" "CaesarCipher12Net x maybe"; do
  read -r -a words <<<"$bad"
  "$host" "${words[@]}" >/dev/null 2>"$work/err"
  status=$?
  [ $status -eq 2 ] && grep -q "Usage:" "$work/err" || fail "'$bad' gave exit code $status"
done
# Command names are case-insensitive.
[ "$("$host" getcasenumberasformattedstring 42)" = "$("$host" GetCaseNumberAsFormattedString 42)" ] ||
  fail "case-insensitive names"

echo "${#commands[@]} commands tried: $failures failures"
[ $failures -eq 0 ]
