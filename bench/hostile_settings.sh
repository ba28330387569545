#!/usr/bin/env bash
# Writes a remote settings file of about 1 MB (the largest the download
# keeps) that makes the program read every key it can: 1,000 announcement
# lines behind 60,000 padding lines. Usage: bench/hostile_settings.sh FILE
set -euo pipefail
{
  printf '[interface]\r\nlastver2=2011.O\r\n[ad]\r\n'
  awk 'BEGIN {
    for (i = 0; i < 60000; i++) printf "pad%d=xxxxx\r\n", i
    printf "time=5000\r\ncount=1000\r\n"
    for (i = 1; i <= 1000; i++) printf "%d=announcement %d|https://x.example/%d\r\n", i, i, i
  }'
} >"$1"
