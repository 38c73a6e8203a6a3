# bash completion for tervik-cli                                  -*- shell-script -*-

_tervik_cli() {
    local cur prev words cword
    _init_completion || return

    local subcommands="info records text dump pattern find select charfreq follow workspace addon"
    local open="--ini --timing --fixed --limit --from-end --maxrec --tab --utf8 --utf16"

    # The subcommand is the first word after the program name.
    local sub="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            sub=${words[i]}
            break
        fi
    done

    case $prev in
        --ini | --out | --export | --only-selected | --select)
            _filedir
            return
            ;;
        --utf8)
            COMPREPLY=($(compgen -W "on off auto" -- "$cur"))
            return
            ;;
        --utf16)
            COMPREPLY=($(compgen -W "on off" -- "$cur"))
            return
            ;;
        --groups)
            COMPREPLY=($(compgen -W "2 4 6 8" -- "$cur"))
            return
            ;;
        --fixed | --limit | --maxrec | --tab | --from | --count | --skip | --offset | --rows | \
            --line | --column | --interval | --idle-exit | --item | --marked | --points)
            return
            ;;
    esac

    if [[ -z $sub ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$subcommands" -- "$cur"))
        fi
        return
    fi

    local opts=""
    case $sub in
        info | records | charfreq) opts="$open" ;;
        text) opts="$open --from --count --skip --no-expand --display --ebcdic --oem --utf8-out" ;;
        dump) opts="$open --offset --rows --groups --ebcdic --oem" ;;
        pattern) opts="--ini --timing" ;;
        find) opts="$open --backward --line --column --dump --offset --all --only-selected" ;;
        select) opts="$open --list --export" ;;
        follow) opts="$open --from --interval --idle-exit --no-expand --display --skip --ebcdic --oem --utf8-out" ;;
        workspace) opts="$open --select" ;;
        addon) opts="$open --list --item --marked --points --out" ;;
    esac
    [[ $sub == charfreq ]] && opts+=" --out"

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    elif [[ $sub == workspace && $prev == workspace ]]; then
        COMPREPLY=($(compgen -W "show new" -- "$cur"))
    elif [[ $sub == addon && $prev == addon ]]; then
        _filedir so
    else
        _filedir
    fi
} &&
    complete -F _tervik_cli tervik-cli

# ex: filetype=sh
