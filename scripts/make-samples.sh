#!/usr/bin/env bash
# Rebuilds samples/ from the shared public WFDB records with corvale-tool import.
# Usage: scripts/make-samples.sh [path/to/corvale-tool] [path/to/ecg-data]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$here/build/tools/corvale-tool}
data=${2:-$here/../shared/ecg-data}
out=$here/samples

imp() {  # output, record, then header options
  local file=$1 rec=$2
  shift 2
  "$tool" import "$data/$rec" -o "$out/$file" "$@"
}

# The names are made up; none belongs to the people recorded.
imp A0001.nrm ptb-xl/00079_hr --id 00079 --name '見本　太郎' --sex M --age 47 --date 2003-05-14 --time 09:41:07
imp A0002.nrm ptb-xl/00330_hr --id 00330 --name '試験　一郎' --sex M --age 61 --date 2003-05-14 --time 10:02:33
imp A0003.nrm ptb-xl/00018_hr --id 00018 --name '架空　次郎' --sex M --age 56 --date 2003-05-15 --time 08:15:00
imp A0004.nrm ptb-xl/00180_hr --id 00180 --name '見本　花子' --sex F --age 81 --date 2003-05-15 --time 11:20:45
imp A0005.nrm ptb-xl/00424_hr --id 00424 --name '仮名　三郎' --sex M --age 78 --date 2003-05-16 --time 14:05:12
imp A0006.nrm ptb-xl/00298_hr --id 00298 --name '見本　長い名前の患者さん' --sex F --age 85 --date 2003-05-16 --time 15:30:00
imp A0007.nrm ptb-xl/00143_hr --id 00143 --name 'ｼｹﾝ ﾀﾛｳ' --sex M --age 81 --date 2003-05-19 --time 09:00:09
imp A0008.nrm ptb-xl/00490_hr --id 00490 --name '試験　四郎' --sex M --age 46 --date 2003-05-19 --time 13:44:51
imp B0001.msd ptb-diagnostic/s0010_re --id 10 --name '架空　花子' --date 1990-10-01 --time 12:00:00
imp B0002.msd georgia/E07514 --id 7514 --name '仮名　五郎' --date 2020-01-07 --time 16:25:30
imp B0003.msd ningbo/JS20008 --id 20008 --name '見本　小太郎' --date 2020-02-03 --time 10:10:10
echo "samples written to $out"
