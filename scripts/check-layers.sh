#!/usr/bin/env bash
# The dependency rule in code: no layer includes a header of a layer above it, and
# the layers below the window use only the Qt modules they link. Lists every
# offending #include (file:line) and exits 1; exits 0 when there is none.
# Usage: scripts/check-layers.sh [--qt-headers DIR] [ROOT]
#   ROOT: the project (default: this script's project); DIR: Qt's include
#   directory (default: qmake6 -query QT_INSTALL_HEADERS).
set -euo pipefail

qt=""
root=""
while [ $# -gt 0 ]; do
  case $1 in
    --qt-headers) qt=${2:?--qt-headers needs a directory}; shift 2 ;;
    -*) echo "usage: $0 [--qt-headers DIR] [ROOT]" >&2; exit 2 ;;
    *) root=$1; shift ;;
  esac
done
root=$(cd "${root:-$(dirname "$0")/..}" && pwd)
if [ -z "$qt" ]; then qt=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || true); fi
# Without Qt's headers every Qt include would look foreign and pass unchecked.
if [ ! -f "$qt/QtCore/QString" ]; then
  echo "check-layers: no Qt headers at '${qt}' (QtCore/QString missing); pass --qt-headers DIR" >&2
  exit 2
fi

# Layers of ours each layer may include besides itself. Data flows one way:
# record -> lead arrays -> grid and trace images (display) -> overlay (measure)
# -> screen (app) and paper (output); formats turns open formats into records
# and back; analysis measures a record's waveform for the window, the page and
# the tools. gfx draws and knows nothing of ECGs.
declare -A below=(
  [record]=""
  [analysis]="record"
  [gfx]=""
  [formats]="record"
  [display]="gfx record"
  [measure]="display gfx record"
  [output]="measure display gfx formats analysis record"
  [app]="output measure display gfx formats analysis record"
  [tools]="output measure display gfx formats analysis record"
)
# Qt modules: record and formats link Qt Core alone; nothing but the window
# includes widgets.
declare -A qtOnly=([record]=QtCore [analysis]=QtCore [formats]=QtCore)
declare -A qtNever=([gfx]=QtWidgets [display]=QtWidgets [measure]=QtWidgets [output]=QtWidgets [tools]=QtWidgets)

# The helpers below answer in REPLY rather than on stdout: no subshell per include.
declare -A qtModuleOf=()
QtModule() {  # include name -> the Qt module holding it, or "" when it is not Qt's
  local name=$1 m
  if [[ $name =~ ^(Qt[A-Za-z0-9]+)/ ]]; then REPLY=${BASH_REMATCH[1]}; return; fi
  if [ -z "${qtModuleOf[$name]+set}" ]; then
    qtModuleOf[$name]=""
    for m in "$qt"/Qt*/; do
      if [ -f "$m$name" ]; then
        m=${m%/}
        qtModuleOf[$name]=${m##*/}
        break
      fi
    done
  fi
  REPLY=${qtModuleOf[$name]}
}

LayerOf() {  # path relative to root -> layer name, or "" outside src/ and tools/
  case $1 in
    src/*/*) REPLY=${1#src/}; REPLY=${REPLY%%/*} ;;
    tools/*) REPLY=tools ;;
    *) REPLY="" ;;
  esac
}

Normalise() {  # absolute path -> the same without "." and ".." parts
  local part
  local -a parts=() out=()
  IFS=/ read -r -a parts <<<"$1"
  for part in "${parts[@]}"; do
    case $part in
      "" | .) ;;
      ..) [ ${#out[@]} -eq 0 ] || unset 'out[${#out[@]}-1]' ;;
      *) out+=("$part") ;;
    esac
  done
  local IFS=/
  REPLY="/${out[*]}"
}

Resolve() {  # including file, include name, quoted? -> our file relative to root, or ""
  local file=$1 name=$2 quoted=$3 candidate
  local -a candidates=("$root/src/$name" "$root/tools/$name")
  if [ "$quoted" = 1 ]; then candidates=("${file%/*}/$name" "${candidates[@]}"); fi
  for candidate in "${candidates[@]}"; do
    if [ -f "$candidate" ]; then
      Normalise "$candidate"
      REPLY=${REPLY#"$root"/}
      return
    fi
  done
  REPLY=""
}

violations=0
files=0
Report() {
  echo "$1"
  violations=$((violations + 1))
}

includeRe='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'
while IFS= read -r -d '' file; do
  rel=${file#"$root"/}
  LayerOf "$rel"
  layer=$REPLY
  files=$((files + 1))
  if [ -z "${below[$layer]+set}" ]; then
    Report "$rel: in no known layer; add '${layer:-?}' and what it may include to scripts/check-layers.sh"
    continue
  fi
  lineNo=0
  while IFS= read -r line || [ -n "$line" ]; do
    lineNo=$((lineNo + 1))
    [[ $line =~ $includeRe ]] || continue
    name=${BASH_REMATCH[2]}
    quoted=0
    [ "${BASH_REMATCH[1]}" = '"' ] && quoted=1
    if [ $quoted = 1 ]; then where="$rel:$lineNo: #include \"$name\""; else where="$rel:$lineNo: #include <$name>"; fi
    Resolve "$file" "$name" "$quoted"
    ours=$REPLY
    if [ -n "$ours" ]; then
      LayerOf "$ours"
      target=$REPLY
      if [ -z "$target" ]; then
        Report "$where: $ours is outside src/ and tools/"
      elif [ "$target" != "$layer" ] && [[ " ${below[$layer]} " != *" $target "* ]]; then
        Report "$where: $layer may not include $target (allowed: ${below[$layer]:-nothing of ours})"
      fi
      continue
    fi
    [ $quoted = 1 ] && continue  # generated in the build tree (moc output, configured headers)
    QtModule "$name"
    module=$REPLY
    [ -n "$module" ] || continue
    if [ -n "${qtOnly[$layer]+set}" ] && [ "$module" != "${qtOnly[$layer]}" ]; then
      Report "$where: $layer uses only ${qtOnly[$layer]}, and this is $module"
    elif [ "${qtNever[$layer]:-}" = "$module" ]; then
      Report "$where: $layer may not use $module"
    fi
  done < "$file"
done < <(find "$root/src" "$root/tools" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) \
           -print0 2>/dev/null | sort -z)

if [ "$files" -eq 0 ]; then
  echo "check-layers: no sources under $root/src or $root/tools" >&2
  exit 2
fi
if [ "$violations" -gt 0 ]; then
  echo "check-layers: $violations include(s) against the layer order in $files files"
  exit 1
fi
echo "check-layers: $files files, every include follows the layer order"
