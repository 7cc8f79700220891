# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for brelmora-cli.  Install it as
# /usr/share/bash-completion/completions/brelmora-cli, or source it.

_brelmora_cli()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null 2>&1; then
        _init_completion || return
    else
        COMPREPLY=()
        cur="${COMP_WORDS[COMP_CWORD]}"
        prev="${COMP_WORDS[COMP_CWORD-1]}"
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    fi

    local commands="info export version download identify delete-all names option search update-check update-download firmware-check archive watch help"

    # The command: the first word after the global options.
    local i command="" sub="" skip=0
    for ((i = 1; i < cword; i++)); do
        if ((skip)); then
            skip=0
            continue
        fi
        case "${words[i]}" in
            --trace) skip=1 ;;
            -*) ;;
            *) command="${words[i]}"; break ;;
        esac
    done
    # The archive's subcommand: the word after "archive".
    if [[ "$command" == archive ]] && ((i + 1 < cword)); then
        sub="${words[i + 1]}"
    fi

    # Values of options.
    case "$prev" in
        --trace|--save|--export|--status)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --to|--save-dir)
            [[ "$command" == archive ]] && return
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        --archive)
            COMPREPLY=($(compgen -W "sqlite: postgresql://" -- "$cur") $(compgen -f -- "$cur"))
            return ;;
        --roll|--serial|--from|--cov-above|--limit)
            return ;;
        --port)
            local ports="" n
            for ((n = 1; n <= 8; n++)); do ports+=" COM$n:"; done
            COMPREPLY=($(compgen -W "$ports IP:" -- "$cur") $(compgen -f -X '!/dev/tty*' -- "$cur"))
            [[ "$cur" == /* ]] && COMPREPLY+=($(compgen -f -- "$cur"))
            return ;;
        --csv-locale)
            COMPREPLY=($(compgen -W "en de" -- "$cur"))
            return ;;
        --dtformat|--skip|--ip|--server|--set|--insert|--delete|--clear-from|--interval)
            return ;;
    esac

    if [[ -z "$command" ]]; then
        COMPREPLY=($(compgen -W "$commands --trace --help --version" -- "$cur"))
        return
    fi

    local options=""
    case "$command" in
        info) options="--json --accept-damaged" ;;
        export) options="--energy --dtformat --summary --accept-damaged --csv --impacts --csv-locale --raw-text --no-bom" ;;
        download) options="--port --save --export --energy --accept-damaged --archive" ;;
        identify) options="--port" ;;
        delete-all) options="--port --yes" ;;
        names) options="--port --set --insert --delete --clear-from" ;;
        option) options="--port on off" ;;
        search) options="--port --scan --skip --ip --usb --stop-first" ;;
        update-check) options="--json --server" ;;
        update-download) options="--to --server" ;;
        firmware-check) options="--port --json --server" ;;
        archive)
            local filters="--roll --serial --from --to --outside-limits --cov-above --limit --archive"
            case "$sub" in
                "") COMPREPLY=($(compgen -W "import find history export stats trend check" -- "$cur")); return ;;
                import) options="--json --accept-damaged --archive" ;;
                find) options="$filters --json --csv" ;;
                history) options="--json --archive" ;;
                export) options="$filters" ;;
                stats) options="$filters --json" ;;
                trend) options="$filters --csv" ;;
                check) options="--archive" ;;
            esac ;;
        watch) options="--port --scan --ip --usb --archive --save-dir --interval --once --delete-after-archive --json --status" ;;
    esac
    if [[ "$cur" == -* || "$command" == option ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    case "$command" in
        info|export)
            COMPREPLY=($(compgen -f -X '!*.[vV][nN][rR]' -- "$cur") $(compgen -d -- "$cur")) ;;
        archive)
            [[ "$sub" == import || "$sub" == export ]] &&
                COMPREPLY=($(compgen -f -X '!*.[vV][nN][rR]' -- "$cur") $(compgen -d -- "$cur")) ;;
        version)
            COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
}

complete -F _brelmora_cli brelmora-cli
