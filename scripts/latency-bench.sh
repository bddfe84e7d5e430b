#!/usr/bin/env bash
# Runs the application benches of both actions through scripts/latency-proxy.py at each round-trip time
# given (default: 0 1 5 ms), on the Firebird server and on the Oracle stand-in, and prints their results:
# times, round trips per order and part or per status row, and the ratio to the set-based statements.
#
#   scripts/latency-bench.sh [RTT_MS ...]
#
# Both servers must be running (scripts/firebird-server.sh start, scripts/pg-standin.sh start) and the
# benches built (scripts/build.sh). The company's shape comes from ZR_BENCH_ORDERS (default 500),
# ZR_BENCH_PARTS (2) and ZR_BENCH_MATERIALS (10); ZR_BENCH_REPETITIONS (default 3) runs each case that many
# times and reports the medians; ZR_BENCH_WRITE_BEHIND=0 sends every statement alone; ZR_BENCH_TARGETS
# (default "server standin") picks the targets. The proxies listen on 127.0.0.57 (Firebird, port 3050) and
# 127.0.0.58 (stand-in, its own port); each one first reports what one nominal round trip really costs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_BUILD_DIR:-$root/build}
rtts=("$@")
[[ ${#rtts[@]} -gt 0 ]] || rtts=(0 1 5)

export ZR_BENCH_ORDERS=${ZR_BENCH_ORDERS:-500}
export ZR_BENCH_PARTS=${ZR_BENCH_PARTS:-2}
export ZR_BENCH_MATERIALS=${ZR_BENCH_MATERIALS:-10}
repetitions=${ZR_BENCH_REPETITIONS:-3}
targets=${ZR_BENCH_TARGETS:-server standin}
work=$(mktemp -d /tmp/zr-latency-bench.XXXXXX)
proxy_pid=
cleanup() {
  [[ -n $proxy_pid ]] && kill "$proxy_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

eval "$(bash "$root/scripts/pg-standin.sh" env)"
standin_port=${PGPORT:-55432}
bench_args=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true)

start_proxy() {  # listen target rtt
  python3 "$root/scripts/latency-proxy.py" --listen "$1" --target "$2" --rtt-ms "$3" \
    --stats "$work/proxy.json" --control "$work/proxy.json.reset" --max-seconds 7200 >/dev/null &
  proxy_pid=$!
  sleep 0.5
  if ! kill -0 "$proxy_pid" 2>/dev/null; then
    echo "latency-bench: the proxy on $1 did not start (is that address already in use?)" >&2
    exit 1
  fi
}
stop_proxy() {
  kill "$proxy_pid" 2>/dev/null || true
  wait "$proxy_pid" 2>/dev/null || true
  proxy_pid=
}

echo "company: $ZR_BENCH_ORDERS orders x $ZR_BENCH_PARTS parts x $ZR_BENCH_MATERIALS materials;" \
  "medians of $repetitions runs; write-behind ${ZR_BENCH_WRITE_BEHIND:-1}"
for rtt in "${rtts[@]}"; do
  python3 "$root/scripts/latency-proxy.py" --rtt-ms "$rtt" --self-test 200
  for target in $targets; do
    echo "== $target, RTT $rtt ms"
    case $target in
      server)
        start_proxy 127.0.0.57:3050 127.0.0.1:3050 "$rtt"
        ZR_BENCH_APP_SERVER=127.0.0.57 ZR_BENCH_PROXY_STATS=$work/proxy.json \
          "$build/bench/app/app_fb_bench" --benchmark_filter='^server/' "${bench_args[@]}"
        ;;
      standin)
        bash "$root/scripts/pg-standin.sh" database "${ZR_BENCH_DB:-zembra_bench}" >/dev/null
        start_proxy "127.0.0.58:$standin_port" "127.0.0.1:$standin_port" "$rtt"
        ZR_BENCH_APP_SERVER=127.0.0.58 ZR_BENCH_PROXY_STATS=$work/proxy.json \
          "$build/bench/odbc/odbc_app_bench" "${bench_args[@]}"
        ;;
      *) echo "latency-bench: unknown target $target" >&2; exit 2 ;;
    esac
    stop_proxy
  done
done
