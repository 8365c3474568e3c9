# What a program's --help lists, for the tests that hold the manual pages and the completion to it.
# Sourced; each function reads the help text on standard input and prints sorted words on one line.

sorted_words() {
    tr ' ' '\n' | sed '/^$/d' | sort -u | paste -sd ' '
}

# Every option the help names: --long, and -x where it stands as "-x, --long".
help_options() {
    local help
    help=$(cat)
    { grep -oE -- '--[a-z][a-z-]*' <<<"$help"; grep -oE -- '(^|[[:space:]])-[a-zA-Z],' <<<"$help" | tr -d ' ,'; } |
        sorted_words
}

# The first word of each line of the "Commands:" section.
help_commands() {
    awk '/^Commands:/ { on = 1; next } on && /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }' | sorted_words
}
