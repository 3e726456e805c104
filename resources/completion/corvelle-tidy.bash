# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for corvelle-tidy
_corvelle_tidy() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --mode)
      COMPREPLY=($(compgen -W 'raise empty' -- "$cur"))
      return ;;
    --log)
      COMPREPLY=($(compgen -f -- "$cur"))
      return ;;
    --exclude|--older-than)
      return ;;
    --undo|--forget)
      local dir=${XDG_STATE_HOME:-$HOME/.local/state}/corvelle/journal
      COMPREPLY=($(compgen -f -X '!*.journal' -- "${cur:-$dir/}"))
      return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--mode --no-subfolders --execute --log --null -0 --json
      --progress --quiet -q --journals --undo --forget --no-journal --junk --junk= --nested
      --exclude --older-than --help -h --version' -- "$cur"))
  else
    COMPREPLY=($(compgen -d -- "$cur"))
  fi
}
complete -o filenames -F _corvelle_tidy corvelle-tidy
