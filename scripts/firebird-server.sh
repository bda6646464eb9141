#!/usr/bin/env bash
# Starts or stops the Firebird server used by the server-mode tests, on 127.0.0.1 only.
#   firebird-server.sh start   creates the database user HOLDEX (administrator), starts the server,
#                              and prints the server's process id when this call started it
#   firebird-server.sh stop PID  stops the server this script started
set -euo pipefail

FB_PORT=3050
SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
SERVER_LOG=/var/log/firebird/firebird3.0.log

server_listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$FB_PORT") 2>/dev/null
}

stop_server() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -9 "$pid" 2>/dev/null || true
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
    # A running server holds the security database: go through it as SYSDBA, whose password the package
    # keeps in a file only root reads. Whatever listens there must take the user, or the server-mode tests
    # would run against something they cannot use; the time limit keeps a silent listener from hanging us.
    password=$("${SUDO[@]}" sh -c '. /etc/firebird/3.0/SYSDBA.password 2>/dev/null; printf %s "${ISC_PASSWORD:-}"')
    if ! printf '%s' "$sql" | ISC_PASSWORD="$password" timeout -k 5 30 isql-fb -q -user SYSDBA "127.0.0.1:$SECURITY_DB" >&2; then
      echo "firebird-server: something listens on 127.0.0.1:$FB_PORT, but the user HOLDEX could not be set up through it" >&2
      exit 1
    fi
    echo "firebird-server: a server already listens on 127.0.0.1:$FB_PORT" >&2
    exit 0
  fi
  # No server runs: the embedded engine opens the security database directly, without a password.
  printf '%s' "$sql" | "${SUDO[@]}" isql-fb -q -user SYSDBA "$SECURITY_DB" >&2
  log=$(mktemp /tmp/qz-fbserver.XXXXXX.log)
  logged=$("${SUDO[@]}" stat -c %s "$SERVER_LOG" 2>/dev/null || echo 0)
  # The server hands UTF-8 file names to the file system through its locale's character type.
  "${SUDO[@]}" env LC_ALL=C.UTF-8 /usr/sbin/firebird >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do
    server_listening && { echo "$pid"; exit 0; }
    kill -0 "$pid" 2>/dev/null || break  # it has ended: waiting longer cannot help
    sleep 0.2
  done
  stop_server "$pid"
  echo "firebird-server: the server did not start; its output:" >&2
  cat "$log" >&2
  echo "firebird-server: what it added to $SERVER_LOG:" >&2
  "${SUDO[@]}" tail -c +"$((logged + 1))" "$SERVER_LOG" >&2 || true
  exit 1
  ;;
stop)
  pid=${2:-}
  [ -n "$pid" ] || exit 0
  stop_server "$pid"
  ;;
*)
  echo "usage: $0 start | stop PID" >&2
  exit 2
  ;;
esac
