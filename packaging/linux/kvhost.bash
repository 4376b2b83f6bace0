# bash completion for kvhost(1)                                   -*- shell-script -*-
# shellcheck shell=bash
#
# Commands, settings verbs and names, options and their fixed values, files by kind, and what
# only the add-in knows: the tools `run` and `tools` take and the controls of a tool's dialog,
# asked of the kvhost on the line (`kvhost tools`, `kvhost tools TOOL`) with the --addin,
# --lang and --excel-version given there. What was typed is never evaluated: it is unquoted
# here, and passed to kvhost as plain arguments.

# Valid before or after the command.
_kvhost_global_options=(--addin --lang --excel-lang --excel-version --dialog --fail-call
    --fail-calls-from --count-calls --version --help)

# The options of a command (or of `settings VERB`).
_kvhost_options_of()
{
    case $1 in
        eval) printf '%s\n' --data --csv-separator --csv-decimal --sheet --precision ;;
        menu) printf '%s\n' --close --toolbar-picture ;;
        run)
            printf '%s\n' --data --csv-separator --csv-decimal --sheet --select --set --click \
                --up --down --ok --cancel --show-dialog --out --dump --keep-partial
            ;;
        "settings install") printf '%s\n' --path --version ;;
    esac
}

# Whether OPTION takes a value in CONTEXT (a command, "settings VERB", or empty before it).
_kvhost_takes_value()
{
    case $1 in
        --addin | --lang | --excel-lang | --excel-version | --dialog | --fail-call | \
            --fail-calls-from)
            return 0
            ;;
    esac
    case $2 in
        eval) [[ $1 == @(--data|--csv-separator|--csv-decimal|--sheet|--precision) ]] ;;
        menu) [[ $1 == --toolbar-picture ]] ;;
        run)
            [[ $1 == @(--data|--csv-separator|--csv-decimal|--sheet|--select|--set|--click|--up|--down|--out|--dump) ]]
            ;;
        "settings install") [[ $1 == @(--path|--version) ]] ;;
        *) return 1 ;;
    esac
}

# Sets the variable named $1 to the word $2 as the shell would pass it for the quoting people
# type: '...', "..." and backslashes, and a leading ~/ for the home folder. Nothing else is
# expanded.
_kvhost_unquote()
{
    local text=$2 result="" quote="" c i
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        if [[ $quote == "'" ]]; then
            if [[ $c == "'" ]]; then quote=""; else result+=$c; fi
        elif [[ $quote == '"' ]]; then
            if [[ $c == '"' ]]; then
                quote=""
            elif [[ $c == "\\" && ${text:i+1:1} == [\"\\\$\`] ]]; then
                result+=${text:i+1:1}
                ((++i))
            else
                result+=$c
            fi
        elif [[ $c == [\"\'] ]]; then
            quote=$c
        elif [[ $c == "\\" ]]; then
            ((++i))
            result+=${text:i:1}
        else
            result+=$c
        fi
    done
    if [[ $text == \~ ]]; then
        result=$HOME
    elif [[ $text == \~/* ]]; then
        result=$HOME/${result#\~/}
    fi
    printf -v "$1" '%s' "$result"
}

# Adds to COMPREPLY, quoted for the command line, each candidate that begins with the word
# being completed ($cur, unquoted).
_kvhost_offer()
{
    local typed candidate quoted
    _kvhost_unquote typed "$cur"
    for candidate; do
        [[ $candidate == "$typed"* ]] || continue
        quoted=$candidate
        [[ $candidate == *[!-A-Za-z0-9_.,/=+:@%]* ]] && printf -v quoted '%q' "$candidate"
        COMPREPLY+=("$quoted")
    done
}

# Runs the kvhost on the line with the options it needs to find the same add-in, then the
# arguments given; its standard output only.
_kvhost_ask()
{
    local program
    _kvhost_unquote program "${words[0]}"
    local -a command=("$program" "${host_options[@]}" "$@")
    if type -P timeout >/dev/null 2>&1; then
        command=(timeout 10 "${command[@]}")
    fi
    "${command[@]}" </dev/null 2>/dev/null
}

# The names `run` takes (first field of `kvhost tools`), or with "commands", the commands they
# run (second field).
_kvhost_tools()
{
    local name command rest
    while IFS=$'\t' read -r name command rest; do
        if [[ $1 == commands ]]; then
            [[ $command ]] && printf '%s\n' "$command"
        else
            [[ $name ]] && printf '%s\n' "$name"
        fi
    done < <(_kvhost_ask tools)
}

# The controls of TOOL's dialog whose kind is one of the kinds after it.
_kvhost_controls()
{
    local tool=$1 name kind wanted
    shift
    while IFS=$'\t' read -r name kind; do
        for wanted; do
            if [[ $kind == "$wanted" ]]; then
                printf '%s\n' "$name"
                break
            fi
        done
    done < <(_kvhost_ask tools "$tool")
}

_kvhost()
{
    local cur prev words cword split
    _init_completion -s -n : || return
    # With the cursor in the blanks before a word, the library may leave a blank here.
    [[ $cur == *[![:space:]]* ]] || cur=""

    # The command line as kvhost will read it: the command, the settings verb, the positional
    # arguments (before the word being completed, and all of them), and the options that say
    # which add-in to ask about.
    local context="" command="" i word option value
    local -a host_options=() before=() positionals=()
    for ((i = 1; i < ${#words[@]}; i++)); do
        ((i == cword)) && continue
        word=${words[i]}
        if [[ $word == -* ]]; then
            option=${word%%=*}
            if [[ $word == *=* ]]; then
                value=${word#*=}
            elif _kvhost_takes_value "$option" "$context"; then
                # A value being typed is the word being completed, passed over above.
                ((i + 1 == cword)) && continue
                ((++i))
                value=${words[i]}
            else
                continue
            fi
            if [[ $option == @(--addin|--lang|--excel-version) ]]; then
                _kvhost_unquote value "$value"
                host_options+=("$option" "$value")
            fi
        elif [[ -z $command ]]; then
            case $word in
                info | addin | eval | menu | command | settings | welcome | run | tools)
                    command=$word context=$word
                    ;;
            esac
        elif [[ $command == settings && $context == settings ]]; then
            [[ $word == @(show|set|install) ]] && context="settings $word"
        else
            _kvhost_unquote value "$word"
            positionals+=("$value")
            ((i < cword)) && before+=("$value")
        fi
    done

    # The value of an option.
    if [[ $prev == -* ]] && _kvhost_takes_value "$prev" "$context"; then
        case $prev in
            --addin) _filedir '@(so|xll)' ;;
            --lang) _kvhost_offer pt en ;;
            --excel-lang) _kvhost_offer en pt ;;
            --dialog) _kvhost_offer script print prompt ;;
            --data) _filedir '@(csv|txt|xlsx|xlsm|xls)' ;;
            --csv-separator) _kvhost_offer , ';' tab ;;
            --csv-decimal) _kvhost_offer . , ;;
            --precision) _kvhost_offer {1..17} ;;
            --out) _filedir xlsx ;;
            --dump) _filedir json ;;
            --toolbar-picture) _filedir png ;;
            --path) _filedir -d ;;
            --set | --click | --up | --down)
                [[ $command == run && ${#positionals[@]} -gt 0 ]] || return
                local -a kinds
                case $prev in
                    --set)
                        [[ $cur == *=* ]] && return
                        kinds=("check box" "radio group" "drop-down list" "edit" "masked edit")
                        ;;
                    --click) kinds=("button" "check box") ;;
                    *) kinds=("up-down") ;;
                esac
                local -a names
                mapfile -t names < <(_kvhost_controls "${positionals[0]}" "${kinds[@]}")
                if [[ $prev == --set ]]; then
                    names=("${names[@]/%/=}")
                    compopt -o nospace
                fi
                _kvhost_offer "${names[@]}"
                ;;
        esac
        return
    fi
    [[ $split == true ]] && return

    # An option.
    if [[ $cur == -* ]]; then
        local -a options
        mapfile -t options < <(printf '%s\n' "${_kvhost_global_options[@]}"
            _kvhost_options_of "$context")
        local -A seen=()
        local -a unique=()
        for option in "${options[@]}"; do
            [[ ${seen[$option]-} ]] && continue
            seen[$option]=1
            unique+=("$option")
        done
        _kvhost_offer "${unique[@]}"
        return
    fi

    # A positional argument; where there is none left, the options.
    case $context in
        "")
            _kvhost_offer info addin eval menu command settings welcome run tools
            return
            ;;
        addin)
            if ((${#before[@]} == 0)); then
                _kvhost_offer add remove
                return
            fi
            ;;
        eval) return ;; # a formula
        command)
            if ((${#before[@]} == 0)); then
                local -a commands
                mapfile -t commands < <(_kvhost_tools commands)
                _kvhost_offer "${commands[@]}"
                return
            fi
            ;;
        settings)
            _kvhost_offer show set install
            return
            ;;
        "settings set")
            if ((${#before[@]} == 0)); then
                local name typed
                _kvhost_unquote typed "$cur"
                # The names are taken in any case.
                for name in PATH VERSAO SHOW IDIOMA; do
                    [[ $name == "${typed^^}"* ]] && COMPREPLY+=("$name")
                done
            elif ((${#before[@]} == 1)); then
                case ${before[0]^^} in
                    PATH) _filedir -d ;;
                    SHOW) _kvhost_offer 0 1 ;;
                    IDIOMA) _kvhost_offer 1 2 ;;
                esac
            fi
            return
            ;;
        run | tools)
            if ((${#before[@]} == 0)); then
                local -a tools
                mapfile -t tools < <(_kvhost_tools)
                _kvhost_offer "${tools[@]}"
                return
            fi
            [[ $context == tools ]] && return
            ;;
    esac
    local -a options
    mapfile -t options < <(_kvhost_options_of "$context")
    _kvhost_offer "${options[@]}" "${_kvhost_global_options[@]}"
} &&
    complete -F _kvhost kvhost
