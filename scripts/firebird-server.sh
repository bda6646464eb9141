#!/usr/bin/env bash
# Starts or stops the Firebird server used by the server-mode tests, on 127.0.0.1 only.
#   firebird-server.sh start   creates the database user HOLDEX (administrator), starts the server,
#                              and prints the server's process id when this call started it
#   firebird-server.sh stop PID  stops the server this script started
set -euo pipefail

FB_PORT=3050
SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb

server_listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$FB_PORT") 2>/dev/null
}

case "${1:-}" in
start)
  if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
  # The user of the target product, an administrator: the services manager lists the attached databases
  # only to administrators (the global mapping gives HOLDEX those rights on the server), and the user
  # creates databases on the server.
  sql="CREATE OR ALTER USER HOLDEX PASSWORD 'vostar' GRANT ADMIN ROLE USING PLUGIN Srp;
COMMIT;
CREATE OR ALTER GLOBAL MAPPING QZ_HOLDEX_ADMIN USING PLUGIN Srp FROM USER HOLDEX TO ROLE RDB\$ADMIN;
COMMIT;
GRANT CREATE DATABASE TO USER HOLDEX;
COMMIT;
"
  if server_listening; then
    # A running server holds the security database: go through it as SYSDBA.
    # shellcheck disable=SC1091
    . /etc/firebird/3.0/SYSDBA.password 2>/dev/null || true
    printf '%s' "$sql" | isql-fb -q -user SYSDBA -password "${ISC_PASSWORD:-}" "127.0.0.1:$SECURITY_DB" >&2 ||
      echo "firebird-server: could not set up the user HOLDEX on the running server" >&2
    echo "firebird-server: a server already listens on 127.0.0.1:$FB_PORT" >&2
    exit 0
  fi
  # No server runs: the embedded engine opens the security database directly, without a password.
  printf '%s' "$sql" | "${SUDO[@]}" isql-fb -q -user SYSDBA "$SECURITY_DB" >&2
  log=$(mktemp /tmp/qz-fbserver.XXXXXX.log)
  "${SUDO[@]}" /usr/sbin/firebird >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do
    server_listening && { echo "$pid"; exit 0; }
    sleep 0.2
  done
  echo "firebird-server: the server did not start; its output:" >&2
  cat "$log" >&2
  exit 1
  ;;
stop)
  pid=${2:-}
  [ -n "$pid" ] || exit 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || exit 0
    sleep 0.2
  done
  kill -9 "$pid" 2>/dev/null || true
  ;;
*)
  echo "usage: $0 start | stop PID" >&2
  exit 2
  ;;
esac
