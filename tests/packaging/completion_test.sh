#!/usr/bin/env bash
# Completes q470ctl command lines as bash does at a prompt, with the words split at '=' and ':' as the
# default COMP_WORDBREAKS splits them, and compares the candidates; then checks that the completion's
# commands, options and line rates are the ones `q470ctl --help` lists.
#   completion_test.sh BASH_COMPLETION COMPLETION_FILE Q470CTL
set -uo pipefail
export LC_ALL=C
unset Q470_LANG LANGUAGE  # the help in English, as the checks read it
bash_completion=$1 completion=$2 q470ctl=$(realpath "$3")
source "$(dirname "$0")/help_words.sh"
source "$bash_completion"
source "$completion"
failed=0

# compopt works only in a completion that bash runs; here it notes whether the word goes on.
nospace=
compopt() {
    [[ $* == *"-o nospace"* ]] && nospace=" (nospace)"
    return 0
}

# A q470ctl whose `ports` lists two ports, one with a description; files for save, apply and traces.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf '#!/bin/sh\n[ "$1" = ports ] && printf "/dev/ttyUSB0  FT232R USB UART\\n/dev/ttyACM0\\n"\n' >"$folder/q470ctl"
chmod +x "$folder/q470ctl"
mkdir -p "$folder/files/configs"
touch "$folder/files/q470r.json" "$folder/files/notes.txt"
cd "$folder/files" || exit 1

# The candidates for the end of LINE, sorted, with " (nospace)" when the word goes on after them.
complete_line() {
    local line=$1 word character piece words=()
    local -a spaced
    read -ra spaced <<<"$line"
    for word in "${spaced[@]}"; do
        piece=
        for ((i = 0; i < ${#word}; i++)); do
            character=${word:i:1}
            if [[ $character == [=:] ]]; then
                [[ -n $piece ]] && words+=("$piece")
                words+=("$character")
                piece=
            else
                piece+=$character
            fi
        done
        [[ -n $piece ]] && words+=("$piece")
    done
    [[ $line == *" " ]] && words+=("")
    COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS=("${words[@]}") COMP_CWORD=$((${#words[@]} - 1))
    COMPREPLY=()
    nospace=
    _q470ctl "$folder/q470ctl" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "$(printf '%s\n' "${COMPREPLY[@]}" | sorted_words)$nospace"
}

# The line before '|', what completes it after.
cases=(
    "q470ctl re|read restart"
    "q470ctl fac|factory-reset"
    "q470ctl -p /dev/ttyUSB0 -b 9600 i|identify"
    "q470ctl --s|--sim --sim-firmware --stop-bits"
    "q470ctl gpio --s|--send-to-peer --sim --sim-firmware --stop-bits"
    "q470ctl at --t|--timeout --trace --trace-file"
    "q470ctl console --n|"
    "q470ctl --sim |KELDAN-KS400 KELDAN-KS410 Q470R"
    "q470ctl --sim=K|KELDAN-KS400 KELDAN-KS410"
    "q470ctl -b 11|115200"
    "q470ctl read --parity |even none odd"
    "q470ctl -p |/dev/ttyACM0 /dev/ttyUSB0"
    "q470ctl --port /dev/ttyU|/dev/ttyUSB0"
    "q470ctl --sim Q470R set pa|panid= parity= (nospace)"
    "q470ctl set mode=|multi multicmd p2p p2pcmd"
    "q470ctl set mode=p2p|p2p p2pcmd"
    "q470ctl set quiet=0 role=m|master"
    "q470ctl set panid=|"
    "q470ctl gpio 1|10= 11= 12= 1= (nospace)"
    "q470ctl gpio 7=|input output (nospace)"
    "q470ctl gpio 3=|alt input output (nospace)"
    "q470ctl gpio 2=alt:|inv-push-pull push-pull"
    "q470ctl gpio 5=alt:|none"
    "q470ctl gpio 4=input:pull-|pull-down pull-up"
    "q470ctl gpio 0=output:|high low"
    "q470ctl apply |configs q470r.json"
    "q470ctl save q.json |"
    "q470ctl --trace-file |configs notes.txt q470r.json"
    "q470ctl at |"
    "q470ctl station |configs q470r.json"
    "q470ctl station q470r.json --a|--again"
    "q470ctl station q470r.json --log |configs notes.txt q470r.json"
)
for entry in "${cases[@]}"; do
    line=${entry%%|*} want=${entry#*|}
    have=$(complete_line "$line")
    if [[ $have != "$want" ]]; then
        echo "'$line' completes to [$have], not [$want]"
        failed=1
    fi
done

help=$("$q470ctl" --help)
want=$(help_commands <<<"$help")
have=$(_q470ctl_words commands | sorted_words)
[[ $have == "$want" ]] || { echo "the completion's commands are [$have], --help lists [$want]"; failed=1; }
want=$(help_options <<<"$help")
have=$(for command in $(_q470ctl_words commands); do _q470ctl_words "options:$command"; done |
    cat - <(_q470ctl_words options) | sorted_words)
[[ $have == "$want" ]] || { echo "the completion's options are [$have], --help lists [$want]"; failed=1; }
# The rates are the table the tool parses them with, which its help prints.
helpRates=$(sed -nE 's/.*--baud RATE +([0-9 ]+[0-9]) .*/\1/p' <<<"$help" | sorted_words)
rates=$(_q470ctl_words value:--baud | sorted_words)
[[ -n $rates && $rates == "$helpRates" ]] || {
    echo "the completion's rates are [$rates], --help lists [$helpRates]"
    failed=1
}
for option in $(_q470ctl_words takes-value); do
    [[ " $have " == *" $option "* ]] || { echo "takes-value names $option, which is no option"; failed=1; }
done
exit $failed
