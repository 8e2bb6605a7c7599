#!/usr/bin/env bash
# tavik-cli's bash completion, sourced as bash-completion would, against the
# built tavik-cli: each row is the words typed and what must be offered.
#   cli_completion.sh COMPLETION_SCRIPT CLI_DIR
set -u
source "$1"
PATH="$2:$PATH"
failed=0
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tavik_cli
    printf '%s\n' "${COMPREPLY[*]}"
}
row() { # expected, then the words
    local expected=$1
    shift
    local got
    got=$(offered "$@")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: [$*] offered '$got', expected '$expected'"
        failed=1
    fi
}
row 'settings scan set stop status' tavik-cli s
row 'read' tavik-cli --baud 9600 re
row 'read' tavik-cli --port /dev/ttyUSB0 --json re
row 'stop status' tavik-cli help st
row '' tavik-cli up ''
row "$(compgen -f -- /etc/host | paste -sd " ")" tavik-cli apply /etc/host
row '' tavik-cli set ''
row 'auto 1200 2400 4800 9600 19200' tavik-cli --baud ''
row '--dry-run' tavik-cli apply --dr
row '--json' tavik-cli --j
# Every command the help lists is offered, "help" too, and no setting name.
all=$(offered tavik-cli '')
for command in ports settings scan read set apply up stop down learn delete goto limit status monitor help; do
    [[ " $all " == *" $command "* ]] || { echo "FAIL: '$command' not offered: $all"; failed=1; }
done
[[ " $all " != *" speed "* ]] || { echo "FAIL: a setting name offered as a command: $all"; failed=1; }
exit $failed
