# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for brelmora, the desktop program.  Installed as
# /usr/share/bash-completion/completions/brelmora, or source it.

_brelmora()
{
    local cur prev
    COMPREPLY=()
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"

    case "$prev" in
        --print-pdf)
            COMPREPLY=($(compgen -f -X '!*.[pP][dD][fF]' -- "$cur") $(compgen -d -- "$cur"))
            return ;;
        --summary-picture|--trend-picture)
            COMPREPLY=($(compgen -f -X '!*.@([sS][vV][gG]|[pP][nN][gG])' -- "$cur") $(compgen -d -- "$cur"))
            return ;;
        --trend-pdf)
            COMPREPLY=($(compgen -f -X '!*.[pP][dD][fF]' -- "$cur") $(compgen -d -- "$cur"))
            return ;;
        --archive)
            COMPREPLY=($(compgen -W "sqlite: postgresql://" -- "$cur") $(compgen -f -- "$cur"))
            return ;;
        --roll|--serial|--from|--to|--cov-above|--limit|--cov-threshold)
            return ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "-Energy --demo --print-pdf --summary --summary-picture --trend-pdf --trend-picture --archive --roll --serial --from --to --outside-limits --cov-above --limit --sequence --cov-threshold --help --version" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -X '!*.[vV][nN][rR]' -- "$cur") $(compgen -d -- "$cur"))
}

complete -F _brelmora brelmora
