# bash completion for ostrivane-cli                                  -*- shell-script -*-

_ostrivane_cli() {
    local cur prev words cword
    _init_completion || return

    local link_options="--tcp --serial --discovery-interface --discovery-port --device-port
        --listen --data --quiet --json --help --version --device --trace --devices --jobs"

    case $prev in
        --serial | --data | --folder | --out | -o | --devices | --values | --trace)
            [[ $prev == --data || $prev == --folder || $prev == --out ]] && _filedir -d ||
                _filedir
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "json prometheus" -- "$cur"))
            return
            ;;
        --jobs | --device)
            return
            ;;
        --tcp | --discovery-interface | --discovery-port | --device-port | --listen | --type | \
            --firmware | --at)
            return
            ;;
    esac

    # The command words typed so far, options and their values left out.
    local i command=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --tcp | --serial | --discovery-interface | --discovery-port | --device-port | \
                --listen | --data | --folder | --out | -o | --type | --firmware | --at | \
                --devices | --values | --trace | --format | --jobs | --device)
                ((i++))
                ;;
            -*) ;;
            *) command+=("${words[i]}") ;;
        esac
    done

    if [[ $cur == -* ]]; then
        local extra=""
        case ${command[0]-} in
            record) extra="--type --firmware -o" ;;
            config) extra="--store-default --no-backup --values --dry-run --all --lenient" ;;
            firmware) extra="--folder --force --no-backup --all --keep-going" ;;
            status) extra="--watch --interval --count --all --format" ;;
            rack) extra="--all" ;;
            backup) extra="--all --into" ;;
            logs) extra="--out" ;;
            clock) extra="--at" ;;
        esac
        COMPREPLY=($(compgen -W "$link_options $extra" -- "$cur"))
        return
    fi

    case ${#command[@]} in
        0)
            COMPREPLY=($(compgen -W "find identify status record config firmware logs clock
                snapshot edid reset backup rack" -- "$cur"))
            ;;
        1)
            case ${command[0]} in
                record) COMPREPLY=($(compgen -W "decode encode" -- "$cur")) ;;
                config) COMPREPLY=($(compgen -W "get put diff apply" -- "$cur")) ;;
                rack) COMPREPLY=($(compgen -W "check" -- "$cur")) ;;
                firmware) COMPREPLY=($(compgen -W "check upgrade" -- "$cur")) ;;
                clock) COMPREPLY=($(compgen -W "set" -- "$cur")) ;;
                snapshot) _filedir bmp ;;
            esac
            ;;
        *)
            case ${command[0]} in
                record | config) _filedir ;;
            esac
            ;;
    esac
} &&
    complete -F _ostrivane_cli ostrivane-cli

# ex: filetype=sh
