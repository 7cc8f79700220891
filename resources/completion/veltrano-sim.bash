# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for veltrano-sim, the instrument simulator.  Installed as
# /usr/share/bash-completion/completions/veltrano-sim, or source it.

_veltrano_sim()
{
    local cur prev
    COMPREPLY=()
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"

    case "$prev" in
        --config|--write-config)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --checksum)
            COMPREPLY=($(compgen -W "crc32 crc16 crc8 none" -- "$cur"))
            return ;;
        --fault)
            COMPREPLY=($(compgen -W "bad-checksum short-info cannot-transfer no-series silence-after= hangup garbage large trickle= trickle-series= lose-answer=names lose-request=names lose-answer=remote-off" -- "$cur"))
            return ;;
        --com|--tcp-port|--listen|--series|--seed|--baud)
            return ;;
    esac
    COMPREPLY=($(compgen -W "--pty --com --tcp --tcp-port --listen --config --series --seed --write-config --baud --checksum --echo --fault -v --verbose -h --help --version" -- "$cur"))
}

complete -F _veltrano_sim veltrano-sim
