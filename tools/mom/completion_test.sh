#!/usr/bin/env bash
# The bash completion and the manual page against the console they describe:
#   completion_test.sh MOM_PROGRAM SOURCE_DIR
# 1. What the completion offers for a table of command lines.
# 2. The completion's and the manual page's commands, operations and argument names are
#    the console's own (as its help and its error messages name them).
set -uo pipefail
mom=$1
src=$2
completion=$src/tools/mom/mom.bash-completion
manual=$src/tools/mom/mom.1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MOM_REGISTRY=$work/registry.reg
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# shellcheck source=mom.bash-completion
source "$completion"
# compopt only works inside a completion that bash itself started.
compopt() { :; }

# Prints, sorted on one line, what completing LINE (the cursor at its end) offers.
offers() {
  COMP_LINE=$1
  COMP_POINT=${#1}
  COMPREPLY=()
  _mom
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}

touch "$work/a.db" "$work/ab.db"
cases=(
  "mom |--help call demo ecn ext-lines help history init register serve so-lines sql unregister verify"
  "mom  |--help call demo ecn ext-lines help history init register serve so-lines sql unregister verify"
  "mom s|serve so-lines sql"
  "mom help e|ecn ext-lines"
  "mom register -|--help --system"
  "mom init -|--force --help --sample --upgrade"
  "mom history $work/a.db --|--allocation --help --line --order --routing-line --table"
  "mom history $work/a.db --order |"
  "mom ecn $work/a.db --|--help --screenshot --type"
  "mom ecn $work/a.db --type |"
  "mom sql $work/a|$work/a.db $work/ab.db"
  "mom sql $work/a.db |"
  "mom call $work/a.db STPull|STPullfromMORM STPullfromMORP"
  "mom call $work/a.db mo|MORMOutQtyWrB MoInQtyWrB MoQtyWrB MoQtyWrBfromQc MoRoutingWrB"
  "mom call $work/a.db MoQ|MoQtyWrB MoQtyWrBfromQc"
  "mom call $work/a.db MoRoutingWrB |ErrMsg= Krts= MoRoutingDId= fNetChgQty="
  "mom call $work/a.db moroutingwrb MoRoutingDId=3003 f|fNetChgQty="
  "mom call --user u $work/a.db GetBFRds b|bCheck="
  "mom call $work/a.db MoRoutingWrB MoRoutingDId=3|"
  "mom call $work/a.db MoRoutingWrB --r|--rollback"
  "mom call $work/a.db MoRoutingWrB --n|--no-transaction"
  "mom call $work/a.db NoSuchOp |"
  "mom serve $work/a.db --t|--threads --token-file"
  "mom serve --listen 127.0.0.1:0 $work/a|$work/a.db $work/ab.db"
  "mom serve $work/a.db --listen |"
)
for c in "${cases[@]}"; do
  line=${c%%|*}
  expected=${c#*|}
  got=$(offers "$line")
  [[ $got == "$expected" ]] || fail "completing '$line': expected '$expected', got '$got'"
done

# The manual page's command entries: the tagged lines of its COMMANDS section.
entries=$(sed -n '/^\.SH COMMANDS/,/^\.SH /p' "$manual" | sed -n '/^\.TP/{n;p}' | sed 's/\\-/-/g; s/\\f[BIR]//g; s/"//g')

# The console's commands, from its help.
mapfile -t commands < <("$mom" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z-]\+\).*/\1/p')
((${#commands[@]} >= 8)) || fail "the console's help lists no commands: ${commands[*]}"
for command in "${commands[@]}" unregister; do
  [[ " $(offers "mom ") " == *" $command "* ]] || fail "the completion does not offer the command $command"
  grep -qE "^\.B[IR]? (.* )?$command( |,|$)" <<<"$entries" || fail "the manual page has no entry for the command $command"
done

# The options of call, as its help's usage line names them.
call_options=$("$mom" help call | head -1 | grep -oE -- '--[a-z-]+' | LC_ALL=C sort -u)
[[ -n $call_options ]] || fail "the help of call names no options"
call_entry=$(grep '^\.BI "call ' "$manual" | sed 's/\\-/-/g; s/\\f[BIR]//g')
for option in $call_options; do
  [[ " $(offers "mom call $work/a.db MoRoutingWrB --") " == *" $option "* ]] ||
    fail "the completion does not offer the call option $option"
  [[ $call_entry == *"$option"* ]] || fail "the manual page's call entry does not name $option"
done

# The operations and their arguments, as the console names them when asked for ones
# that do not exist.
"$mom" init "$work/m.db" >/dev/null || fail "mom init failed"
listing=$("$mom" call "$work/m.db" NoSuchOperation 2>&1)
operations=$(sed -n 's/.*the operations are: //p' <<<"$listing" | tr -d ',')
[[ -n $operations ]] || fail "the console does not list the operations: $listing"
for operation in $operations; do
  grep -q "^\.BR $operation" "$manual" || fail "the manual page does not name the operation $operation"
  message=$("$mom" call "$work/m.db" "$operation" NoSuchArgument=1 2>&1)
  arguments=$(sed -n 's/.*its arguments are: //p' <<<"$message" | tr -d ',')
  expected=""
  for argument in $arguments; do
    case $argument in oConn | cn | ClsLogin) ;; *) expected+="$argument= " ;; esac
  done
  expected=$(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
  got=$(offers "mom call $work/m.db $operation ")
  [[ $got == "$expected" ]] || fail "arguments of $operation: the console has '$expected', the completion '$got'"
done

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "completion and manual page agree with the console"
