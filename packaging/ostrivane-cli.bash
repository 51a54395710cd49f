# bash completion for ostrivane-cli                                  -*- shell-script -*-

_ostrivane_cli() {
    local cur prev words cword
    _init_completion || return

    local link_options="--tcp --serial --device --discovery-interface --discovery-port
        --device-port --listen --data --quiet --json --trace --help --version --devices --jobs"

    case $prev in
        --serial | --data | --folder | --out | -o | --into | --trace | --devices | --values)
            [[ $prev == --data || $prev == --folder || $prev == --out || $prev == --into ]] && _filedir -d ||
                _filedir
            return
            ;;
        --format)
            if [[ " ${words[*]} " == *" config "* ]]; then
                COMPREPLY=($(compgen -W "record json" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "json prometheus" -- "$cur"))
            fi
            return
            ;;
        --tcp | --device | --discovery-interface | --discovery-port | --device-port | --listen | \
            --type | --firmware | --at | --interval | --count | --jobs)
            return
            ;;
    esac

    # The command words typed so far, options and their values left out.
    local i command=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --tcp | --serial | --device | --discovery-interface | --discovery-port | \
                --device-port | --listen | --data | --folder | --out | -o | --type | --firmware | \
                --at | --trace | --into | --interval | --count | --devices | --values | --format | \
                --jobs)
                ((i++))
                ;;
            -*) ;;
            *) command+=("${words[i]}") ;;
        esac
    done

    if [[ $cur == -* ]]; then
        local extra=""
        case ${command[0]-} in
            record) extra="--type --firmware -o --lenient --force-model" ;;
            config) extra="--store-default --no-backup --lenient --force-model --format --values
                --dry-run --all" ;;
            backup) extra="--all --into" ;;
            status) extra="--watch --interval --count --all --format" ;;
            edid) extra="--yes" ;;
            firmware) extra="--folder --force --no-backup --all --keep-going" ;;
            rack) extra="--all" ;;
            logs) extra="--out" ;;
            clock) extra="--at" ;;
        esac
        COMPREPLY=($(compgen -W "$link_options $extra" -- "$cur"))
        return
    fi

    case ${#command[@]} in
        0)
            COMPREPLY=($(compgen -W "find identify status record config backup firmware logs clock
                snapshot edid reset rack help" -- "$cur"))
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
