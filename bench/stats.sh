# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmark scripts. The disk here is noisy: every figure is the median of
# the runs, with their range beside it, never the best run alone.
now() { date +%s.%N; }
secs() { echo "$2 - $1" | bc; }
# Reads one number a line; prints the median.
median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
# Reads one number a line; prints "min-max".
range() { sort -n | awk 'NR==1{lo=$1} {hi=$1} END {print lo "-" hi}'; }
# summary "v1 v2 v3": "median M s (range A-B s, N runs)"
summary() { local m r; m=$(tr ' ' '\n' <<<"$1" | grep . | median); r=$(tr ' ' '\n' <<<"$1" | grep . | range); echo "median ${m}s (range ${r}s, $(wc -w <<<"$1") runs)"; }
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
ratio() { echo "scale=2; $1 / $2" | bc; }
