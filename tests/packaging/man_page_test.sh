#!/usr/bin/env bash
# Checks one manual page: it renders without a warning, from groff with every warning on and from man
# as lintian runs it, and its blocks name exactly the commands and options the program's --help lists.
#   man_page_test.sh PAGE PROGRAM
set -uo pipefail
export LC_ALL=C
unset Q470_LANG LANGUAGE  # the help in English, as the checks read it
page=$1 program=$2
source "$(dirname "$0")/help_words.sh"
failed=0
problem() {
    echo "$(basename "$page"): $*"
    failed=1
}

warnings=$(groff -ww -b -z -man -Tutf8 "$page" 2>&1)
[[ -z $warnings ]] || problem "groff warns: $warnings"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[[ -z $warnings ]] || problem "man warns: $warnings"

# The tag lines of the .TP blocks of one section, plain: hyphen and font escapes and quotes taken out.
tags() {
    awk -v section="$1" '
        /^\.SH / { current = substr($0, 5); gsub(/"/, "", current); next }
        current == section && /^\.TP/ { take = 1; next }
        take { print; take = 0 }' "$page" |
        sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[A-Z]* //' -e 's/"//g'
}

help=$("$program" --help) || problem "$program --help failed"
want=$(help_options <<<"$help")
have=$(tags OPTIONS | grep -oE -- '(^|[[:space:],])--?[a-zA-Z][a-z-]*' | tr -d ' ,' | sorted_words)
[[ $have == "$want" ]] || problem "OPTIONS has blocks for [$have], --help lists [$want]"
want=$(help_commands <<<"$help")
if [[ -n $want ]]; then
    have=$(tags COMMANDS | awk '{ print $1 }' | sorted_words)
    [[ $have == "$want" ]] || problem "COMMANDS has blocks for [$have], --help lists [$want]"
fi
exit $failed
