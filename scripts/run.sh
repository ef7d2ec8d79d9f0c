#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in data server on
# 127.0.0.1:8082 with the sample data, and opens the application on it
# (under Xvfb when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"

mkdir -p run
if [ -x build/server/quorvane-dataserver ]; then
  if [ -f run/dataserver.pid ] && kill -0 "$(cat run/dataserver.pid)" 2>/dev/null; then
    echo "Data server already running (pid $(cat run/dataserver.pid))."
  else
    build/server/quorvane-dataserver --listen 127.0.0.1:8082 --db run/dataserver.sqlite --generate \
      >run/dataserver.log 2>&1 &
    echo $! >run/dataserver.pid
    # The first start writes the sample data before it listens.
    for _ in $(seq 1 600); do
      curl -sf http://127.0.0.1:8082/Default >/dev/null 2>&1 && break
      kill -0 "$(cat run/dataserver.pid)" 2>/dev/null || break
      sleep 0.1
    done
    if ! curl -sf http://127.0.0.1:8082/Default >/dev/null 2>&1; then
      echo "The data server did not start; its log (run/dataserver.log) ends with:" >&2
      tail -n 5 run/dataserver.log >&2
      exit 1
    fi
    echo "Data server started on 127.0.0.1:8082 (pid $(cat run/dataserver.pid), log run/dataserver.log)."
    echo "Stop it with: kill \$(cat run/dataserver.pid)"
  fi
else
  echo "The data server is not built yet; built libraries are in build/."
fi

if [ -x build/src/app/quorvane ]; then
  export QUORVANE_SERVER_HOST=127.0.0.1
  if [ -z "${DISPLAY:-}" ]; then
    # No display: a virtual one, and a picture of the window after a few seconds.
    rm -f run/screenshot.png run/app.pid
    xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
      build/src/app/quorvane >run/app.log 2>&1 & app=$!
      echo $app >run/app.pid
      sleep 8
      import -window root run/screenshot.png || true
      wait $app' >/dev/null 2>&1 &
    for _ in $(seq 1 300); do
      [ -f run/screenshot.png ] && break
      sleep 0.1
    done
    echo "Application started under Xvfb (pid $(cat run/app.pid 2>/dev/null)); screenshot in run/screenshot.png."
    echo "Stop it with: kill \$(cat run/app.pid)"
  else
    exec build/src/app/quorvane
  fi
fi
