#!/usr/bin/env bash
# The reference engine for bench_guard: Ghostery's adblocker from the npm registry, installed
# into the build folder and run with Debian's nodejs on the same lists and requests. Never a
# dependency of the program or its tests.
#
#   bench/guard_reference.sh BUILD_DIR REQUESTS_FILE LIST...
#
# REQUESTS_FILE holds "address<TAB>page<TAB>type" lines. The last line printed is
#   reference median_us=<x> p99_us=<y> load_ms=<z> index_mb=<w> rules=<n> parse_ms=<p>
set -euo pipefail
build=$(realpath "$1")
requests=$(realpath "$2")
shift 2
dir="$build/guard-reference"
mkdir -p "$dir"
if [ ! -d "$dir/node_modules/@ghostery/adblocker" ] && [ ! -d "$dir/node_modules/@cliqz/adblocker" ]; then
    # Whichever name the registry serves: the engine moved from the one to the other.
    (cd "$dir" && { npm install --no-audit --no-fund --silent @ghostery/adblocker@2 >&2 \
        || npm install --no-audit --no-fund --silent @cliqz/adblocker >&2; })
fi
package=@ghostery/adblocker
[ -d "$dir/node_modules/@ghostery/adblocker" ] || package=@cliqz/adblocker
cat >"$dir/run.mjs" <<'JS'
import fs from 'node:fs';
import { createRequire } from 'node:module';
const require = createRequire(process.env.REF_DIR + '/');
const { FiltersEngine, Request } = require(process.env.REF_PACKAGE);
const [requestsFile, ...lists] = process.argv.slice(2);
const text = lists.map((f) => fs.readFileSync(f, 'utf8')).join('\n');
const now = () => process.hrtime.bigint();
const ms = (a, b) => Number(b - a) / 1e6;
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

let t = now();
const engine = FiltersEngine.parse(text, { loadNetworkFilters: true, loadCosmeticFilters: true });
const parseMs = ms(t, now());
const bytes = engine.serialize();
const loads = [];
for (let i = 0; i < 15; i++) {
  t = now();
  FiltersEngine.deserialize(bytes);
  loads.push(ms(t, now()));
}
global.gc?.();
const before = process.memoryUsage();
let loaded = FiltersEngine.deserialize(bytes);
global.gc?.();
const after = process.memoryUsage();
// What the loaded engine holds: the serialized bytes it reads from, and what it adds on the heap.
const indexMb = (bytes.byteLength + Math.max(0, after.heapUsed - before.heapUsed)
  + Math.max(0, after.arrayBuffers - before.arrayBuffers)) / 1048576;

const types = { document: 'main_frame', subdocument: 'sub_frame', popup: 'other' };
const requests = fs.readFileSync(requestsFile, 'utf8').split('\n').filter((l) => l).map((l) => {
  const [url, page, type] = l.split('\t');
  return { url, sourceUrl: page || '', type: types[type] || type || 'other' };
});
// One pass to warm up, as the guard's bench does, then each request timed with its parsing.
for (const r of requests) loaded.match(Request.fromRawDetails(r));
const times = new Float64Array(requests.length);
let blocked = 0;
for (let i = 0; i < requests.length; i++) {
  const s = now();
  const m = loaded.match(Request.fromRawDetails(requests[i]));
  times[i] = Number(now() - s) / 1000;
  if (m.match && !m.exception) blocked++;
}
times.sort();
const pick = (q) => times[Math.min(times.length - 1, Math.floor(q * times.length))];
let rules = 0;
try { const f = loaded.getFilters(); rules = f.networkFilters.length + f.cosmeticFilters.length; } catch { }
console.log(`reference blocked=${blocked}/${requests.length}`);
console.log(`reference median_us=${pick(0.5).toFixed(3)} p99_us=${pick(0.99).toFixed(3)} ` +
  `load_ms=${median(loads).toFixed(2)} index_mb=${indexMb.toFixed(2)} rules=${rules} parse_ms=${parseMs.toFixed(0)}`);
JS
REF_DIR="$dir" REF_PACKAGE="$package" node --expose-gc "$dir/run.mjs" "$requests" "$@"
