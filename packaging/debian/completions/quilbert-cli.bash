# bash completion of quilbert-cli: its commands, each command's options, drive
# letters, the servers `browse` finds, and files for import and export.
# Reads COMP_WORDS and COMP_CWORD only, so it needs nothing of bash-completion.

_quilbert_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} command="" word i
  local -a given=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word != -* && -z $command ]]; then
      command=$word
    elif [[ -n $command ]]; then
      given+=("$word")
    fi
  done
  COMPREPLY=()
  if [[ -z $command ]]; then
    if [[ $cur == -* ]]; then
      mapfile -t COMPREPLY < <(compgen -W "--json --help -h" -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "status connect disconnect browse import export passwords" -- "$cur")
    fi
    return 0
  fi
  local options="--json --help"
  case $command in
    import) options+=" --dry-run --include-filtered" ;;
    passwords)
      # One direction, exactly.
      [[ " ${given[*]} " == *" --to-keyring "* || " ${given[*]} " == *" --to-file "* ]] ||
        options+=" --to-keyring --to-file"
      ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return 0
  fi
  local -a operands=()
  for word in "${given[@]}"; do [[ $word == -* ]] || operands+=("$word"); done
  case $command in
    connect | disconnect)
      local letters="" letter
      for letter in {A..Z}; do
        [[ " ${operands[*]^^} " == *" $letter "* || " ${operands[*]^^} " == *" $letter: "* ]] ||
          letters+=" $letter"
      done
      mapfile -t COMPREPLY < <(compgen -W "$letters" -- "${cur^^}")
      ;;
    browse)
      # The servers as `browse` lists them ("  [Server] \\NAME (comment)"),
      # offered bare: quilbert-cli takes NAME for \\NAME.
      if ((${#operands[@]} == 0)); then
        local servers
        servers=$(timeout 5 "${COMP_WORDS[0]}" browse 2>/dev/null |
          sed -n 's/^ .*\\\\\([^ \\]*\).*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$servers" -- "${cur#\\\\}")
      fi
      ;;
    import | export)
      if ((${#operands[@]} == 0)); then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      fi
      ;;
  esac
  return 0
}
complete -F _quilbert_cli quilbert-cli
