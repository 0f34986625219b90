#!/usr/bin/env bash
# Times KaTeX's renderToString over the formulas of a file (one a line) and prints
# "katex_formulas_per_second <N>"; with --check, only prints "katex_rejects <line>" for every formula (lines
# counted from 0) that KaTeX renders as an error. KaTeX comes from npm into a cache folder outside the tree.
set -euo pipefail

check=""
if [ "$1" = "--check" ]; then
  check=1
  shift
fi
formulas="$1"
dir="${XDG_CACHE_HOME:-$HOME/.cache}/zepla/katex-bench"
if [ ! -f "$dir/node_modules/katex/package.json" ]; then
  mkdir -p "$dir"
  npm install --silent --no-audit --no-fund --prefix "$dir" katex >&2
fi

NODE_PATH="$dir/node_modules" node - "$formulas" "$check" <<'JS'
const fs = require('fs');
const katex = require('katex');
const formulas = fs.readFileSync(process.argv[2], 'utf8').split('\n').filter((line) => line.length > 0);
const options = { displayMode: true, throwOnError: false, strict: 'ignore' };
if (process.argv[3]) {
  formulas.forEach((f, i) => {
    if (katex.renderToString(f, options).includes('katex-error')) console.log(`katex_rejects ${i}`);
  });
  process.exit(0);
}
const failed = formulas.filter((f) => katex.renderToString(f, options).includes('katex-error'));
if (failed.length > 0) console.error(`KaTeX cannot render ${failed.length} formulas, first: ${failed[0]}`);
let sink = 0;
const runAll = () => { for (const f of formulas) sink += katex.renderToString(f, options).length; };
// Warm the JIT first, then keep the best of several runs filling at least two seconds.
for (let i = 0; i < 5; ++i) runAll();
let best = Infinity;
const start = process.hrtime.bigint();
for (let runs = 0; runs < 5 || Number(process.hrtime.bigint() - start) < 2e9; ++runs) {
  const t = process.hrtime.bigint();
  runAll();
  best = Math.min(best, Number(process.hrtime.bigint() - t));
}
console.log(`katex_formulas_per_second ${(formulas.length / (best / 1e9)).toFixed(0)}`);
if (sink === 0) console.error('nothing rendered');
JS
