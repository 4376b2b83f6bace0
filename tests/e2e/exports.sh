#!/bin/sh
# The add-in exports its entry points and the procedures it registers, and nothing else.
set -eu
addin=$1
expected="CheckInstance carrega_instalador cspline ewv interpol kurt kv_chama_ajuda kv_chama_arch kv_chama_cmp kv_chama_ewv kv_chama_exibir kv_chama_hist kv_chama_ica kv_chama_ing kv_chama_pca kv_chama_port kv_chama_rlm kv_chama_sobre skew xlAddInManagerInfo xlAutoAdd xlAutoClose xlAutoFree xlAutoOpen xlAutoRegister xlAutoRemove"
actual=$(nm -D --defined-only "$addin" | awk '$2 ~ /^[TtWwDdBbVvRr]$/ {print $3}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports of $addin differ"
  echo "expected: $expected"
  echo "actual:   $actual"
  exit 1
fi
echo "exports: $actual"
