# A NetworkManager of the tests' own: a private message bus on a socket file
# and a real NetworkManager on it, inside a network namespace of its own, so
# that dialing can be tested against the real daemon without touching the
# machine's networking.
#
# Sourced by test scripts:
#
#   . tests/nm/private-nm.sh
#   trap private_nm_stop EXIT
#   private_nm_start "$dir" || exit $?      # 77: NetworkManager cannot run here
#   nmcli connection add type tun ...        # DBUS_SYSTEM_BUS_ADDRESS is exported
#
# or run as a command, for CTest fixtures (setup and cleanup are separate
# processes; the bus address is unix:path=DIR/bus, also written to
# DIR/bus.address):
#
#   bash tests/nm/private-nm.sh start DIR    # 0 up, 77 cannot run here, 1 failed
#   bash tests/nm/private-nm.sh stop DIR
#   bash tests/nm/private-nm.sh stop-nm|start-nm|stop-bus|start-bus DIR
#
# Only tun devices are managed (PRIVATE_NM_MANAGED widens that); no profile
# is made for a device behind the tests' back. NetworkManager's run and
# state folders (/run/NetworkManager, /var/lib/NetworkManager) are its own
# too: it runs in a mount namespace where they are a tmpfs and DIR/var. Its
# VPN plug-in folder (/usr/lib/NetworkManager/VPN) is DIR/vpn, for stand-in
# plug-ins of the tests; the machine's plug-ins are hidden from it.
#
# Settings (environment):
#   PRIVATE_NM_TIMEOUT     seconds to wait for start-up (30) and for each
#                          process to end on stop (10)
#   PRIVATE_NM_LOG_LEVEL   NetworkManager's log level in DIR/nm.log (INFO)
#   PRIVATE_NM_MANAGED     the devices NetworkManager manages, as device
#                          matches of NetworkManager.conf(5) separated by commas
#                          (type:tun); e.g. type:tun,driver:veth to add veth
#                          links (which report type "ethernet")
#
# The parts can be ended and started again, for tests of what survives a
# restart (as functions, or as commands with the folder):
#
#   private_nm_daemon_stop DIR [SIGNAL]   NetworkManager ends (TERM; KILL for
#                                         a crash), its namespaces and links
#                                         with it
#   private_nm_daemon_start DIR           started again, in fresh namespaces
#   private_nm_bus_stop DIR [SIGNAL]      the bus is killed (KILL)
#   private_nm_bus_start DIR              started again on the same address
#
# To freeze NetworkManager, signal its process (STOP, CONT): the
# "NetworkManager PID STARTED" line of DIR/pids names it.
#
# After a start: PRIVATE_NM_DIR, PRIVATE_NM_PID, PRIVATE_NM_BUS_PID and
# DBUS_SYSTEM_BUS_ADDRESS are exported. The bus and NetworkManager are
# children of the shell that sourced this: a bare `wait` there waits for
# them too, so wait for your own processes by PID.

PRIVATE_NM_SKIP=77

# Says why the private NetworkManager cannot run on this machine, if it
# cannot; quiet and successful when it can.
private_nm_unsupported() {
  if [ "$(id -u)" != 0 ]; then
    echo "needs root (network and mount namespaces, tun devices)"; return 0
  fi
  local tool
  for tool in NetworkManager dbus-daemon dbus-send unshare nsenter ip mount; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; return 0; }
  done
  [ -c /dev/net/tun ] || { echo "no /dev/net/tun"; return 0; }
  [ -d /var/lib/NetworkManager ] || { echo "no /var/lib/NetworkManager (network-manager not installed as packaged)"; return 0; }
  local why
  if ! why=$(unshare --net --mount -- sh -c 'mount -t tmpfs tmpfs /run && mount -t sysfs -o ro sysfs /sys' \
      2>&1 >/dev/null); then
    why=${why:-no reason given}
    # In a chroot the root is no mount point, and a mount namespace cannot
    # be made private from it: say that, not only unshare's words.
    if command -v mountpoint >/dev/null 2>&1 && ! mountpoint -q /; then
      echo "/ is not a mount point (a chroot?), so no mount namespace of its own can be made: $why"
    else
      echo "cannot make network and mount namespaces here: $why"
    fi
    return 0
  fi
  return 1
}

# One property of the manager object as dbus-send prints its value
# ("boolean false", "uint32 70"), or nothing while NetworkManager is not on
# the bus.
_private_nm_property() {
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply=literal --reply-timeout=2000 \
    --dest=org.freedesktop.NetworkManager /org/freedesktop/NetworkManager \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.NetworkManager "string:$1" 2>/dev/null |
    sed -e 's/^ *variant *//' -e 's/ *$//' || true
}

# True while PID is a live process (a zombie counts as ended: a process
# this shell did not start is reaped by someone else, maybe late).
_private_nm_alive() {
  local state
  state=$(sed -e 's/^.*) //' -e 's/ .*//' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# When PID started, in clock ticks since boot: with the PID, it names one
# process, so a PID reused after ours ended is never signalled.
_private_nm_started() {
  sed -e 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $20 }' || true
}

# Ends the process PID that started at STARTED: TERM, then KILL when it
# outlives LIMIT seconds; reaps it when it is this shell's child.
_private_nm_end() {
  local pid=$1 started=$2 limit=$3 i
  [ -n "$pid" ] || return 0
  if _private_nm_alive "$pid" && [ "$(_private_nm_started "$pid")" = "$started" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    local deadline=$((SECONDS + limit))
    while [ "$SECONDS" -le "$deadline" ]; do
      _private_nm_alive "$pid" || break
      sleep 0.05
    done
    if _private_nm_alive "$pid"; then
      echo "private NetworkManager: process $pid did not end on TERM, killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
      for ((i = 0; i < 100; i++)); do _private_nm_alive "$pid" || break; sleep 0.05; done
    fi
  fi
  _private_nm_alive "$pid" || wait "$pid" 2>/dev/null || true
  return 0
}

private_nm_start() {
  local dir=${1:?private_nm_start needs a folder}
  local limit=${PRIVATE_NM_TIMEOUT:-30}
  local why
  if why=$(private_nm_unsupported); then
    echo "SKIPPED: NetworkManager cannot run here: $why" >&2
    return $PRIVATE_NM_SKIP
  fi
  mkdir -p "$dir" && dir=$(cd "$dir" && pwd -P) || return 1
  case $dir/ in
    /run/* | /var/lib/NetworkManager/*)
      # These are hidden from NetworkManager by its own mounts.
      echo "private NetworkManager: $dir cannot be under /run or /var/lib/NetworkManager" >&2
      return 1 ;;
  esac
  # A unix socket's path must fit in sun_path (108 bytes with its NUL).
  if [ ${#dir} -gt 100 ]; then
    echo "private NetworkManager: the folder's path is too long for a socket: $dir" >&2
    return 1
  fi
  if [ -e "$dir/pids" ]; then
    echo "private NetworkManager: one was already started in $dir" >&2
    return 1
  fi
  mkdir -p "$dir/conf.d" "$dir/connections" "$dir/var" "$dir/vpn" || return 1
  # NetworkManager ignores plug-in files that others than root may change.
  chmod 0755 "$dir/vpn"
  rm -f "$dir/bus"

  cat >"$dir/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/bus</listen>
  <auth>EXTERNAL</auth>
  <!-- No service folders: nothing of the machine (dispatcher, ModemManager,
       polkit) is started on this bus behind the tests' back. -->
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
EOF

  local unmanaged="" match matches=${PRIVATE_NM_MANAGED:-type:tun}
  for match in ${matches//,/ }; do unmanaged+="${unmanaged:+,}except:$match"; done
  cat >"$dir/NetworkManager.conf" <<EOF
[main]
plugins=keyfile
no-auto-default=*
auth-polkit=false
dhcp=internal
dns=none
rc-manager=unmanaged
systemd-resolved=false
hostname-mode=none
firewall-backend=none

[keyfile]
path=$dir/connections
unmanaged-devices=${unmanaged:-except:type:tun}

[connectivity]
enabled=false

[logging]
level=${PRIVATE_NM_LOG_LEVEL:-INFO}
EOF

  echo "unix:path=$dir/bus" >"$dir/bus.address"
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/bus"
  export PRIVATE_NM_DIR=$dir
  : >"$dir/pids"

  private_nm_bus_start "$dir" || { private_nm_stop "$dir"; return 1; }
  private_nm_daemon_start "$dir" || { private_nm_stop "$dir"; return 1; }
  return 0
}

# The process of KIND (dbus-daemon, NetworkManager) in DIR's pids file, as
# "PID STARTED", or nothing.
_private_nm_pid_line() {
  awk -v kind="$2" '$1 == kind {print $2, $3}' "$1/pids" 2>/dev/null || true
}

# Drops the lines of KIND from DIR's pids file.
_private_nm_forget() {
  local rest
  rest=$(awk -v kind="$2" '$1 != kind' "$1/pids" 2>/dev/null) || true
  printf '%s\n' "$rest" | sed '/^$/d' >"$1/pids"
}

# Starts the message bus of DIR (made by private_nm_start) and waits until
# it answers. The bus's address stays the same across restarts.
private_nm_bus_start() {
  local dir=${1:?private_nm_bus_start needs a folder}
  local limit=${PRIVATE_NM_TIMEOUT:-30}
  local address="unix:path=$dir/bus"
  rm -f "$dir/bus"
  dbus-daemon --config-file="$dir/bus.conf" --nofork --nopidfile \
    </dev/null >>"$dir/bus.log" 2>&1 &
  local pid=$!
  # Ended by pid, from whichever shell: the job table need not report it.
  disown "$pid" 2>/dev/null || true
  [ "$dir" = "${PRIVATE_NM_DIR:-}" ] && export PRIVATE_NM_BUS_PID=$pid
  echo "dbus-daemon $pid $(_private_nm_started "$pid")" >>"$dir/pids"

  local deadline=$((SECONDS + limit))
  while [ "$SECONDS" -le "$deadline" ]; do
    dbus-send --bus="$address" --print-reply --dest=org.freedesktop.DBus \
      /org/freedesktop/DBus org.freedesktop.DBus.GetId >/dev/null 2>&1 && break
    _private_nm_alive "$pid" || break
    sleep 0.05
  done
  if ! _private_nm_alive "$pid" || [ ! -S "$dir/bus" ]; then
    echo "private NetworkManager: the message bus did not start:" >&2
    cat "$dir/bus.log" >&2
    return 1
  fi
  return 0
}

# Ends the message bus of DIR: with SIGNAL (KILL unless told), at once.
# NetworkManager ends when it loses its bus.
private_nm_bus_stop() {
  local dir=${1:?private_nm_bus_stop needs a folder} signal=${2:-KILL}
  local pid started
  read -r pid started < <(_private_nm_pid_line "$dir" dbus-daemon) || true
  if [ -n "$pid" ] && _private_nm_alive "$pid" && [ "$(_private_nm_started "$pid")" = "$started" ]; then
    kill "-$signal" "$pid" 2>/dev/null || true
  fi
  _private_nm_end "$pid" "$started" "${PRIVATE_NM_TIMEOUT:-10}"
  _private_nm_forget "$dir" dbus-daemon
  rm -f "$dir/bus"
  return 0
}

# Starts NetworkManager of DIR on its bus, in fresh network and mount
# namespaces, and waits until it has started up.
private_nm_daemon_start() {
  local dir=${1:?private_nm_daemon_start needs a folder}
  local limit=${PRIVATE_NM_TIMEOUT:-30}
  local address="unix:path=$dir/bus"
  # In its namespaces, before NetworkManager starts: loopback up; /run a
  # tmpfs and /var/lib/NetworkManager our folder, so its pid, lease, device
  # and secret_key files stay out of the machine's; the VPN plug-in folder
  # DIR/vpn and /etc/NetworkManager/VPN empty, so it sees the tests'
  # stand-in plug-ins and none of the machine's; a sysfs of this network
  # namespace, read-only so that NetworkManager does not wait for udev
  # (which never sees links in this namespace) to announce each device.
  # unshare and sh exec, so $! is NetworkManager itself.
  # shellcheck disable=SC2016 # expanded by the inner shell
  DBUS_SYSTEM_BUS_ADDRESS=$address unshare --net --mount --propagation private -- sh -c '
      set -e
      ip link set lo up
      mount -t tmpfs -o mode=0755 tmpfs /run
      mkdir /run/NetworkManager
      mount --bind "$1/var" /var/lib/NetworkManager
      if [ -d /usr/lib/NetworkManager/VPN ]; then mount --bind "$1/vpn" /usr/lib/NetworkManager/VPN; fi
      if [ -d /etc/NetworkManager/VPN ]; then mount -t tmpfs tmpfs /etc/NetworkManager/VPN; fi
      mount -t sysfs -o ro sysfs /sys
      exec NetworkManager --no-daemon --debug \
        --config="$1/NetworkManager.conf" --config-dir="$1/conf.d" --system-config-dir="$1/conf.d" \
        --intern-config="$1/var/NetworkManager-intern.conf" --state-file="$1/var/NetworkManager.state" \
        --pid-file="/run/NetworkManager/NetworkManager.pid"' sh "$dir" \
    </dev/null >>"$dir/nm.log" 2>&1 &
  local pid=$!
  disown "$pid" 2>/dev/null || true
  [ "$dir" = "${PRIVATE_NM_DIR:-}" ] && export PRIVATE_NM_PID=$pid
  echo "NetworkManager $pid $(_private_nm_started "$pid")" >>"$dir/pids"

  local startup="" deadline=$((SECONDS + limit))
  while [ "$SECONDS" -le "$deadline" ]; do
    _private_nm_alive "$pid" || break
    startup=$(DBUS_SYSTEM_BUS_ADDRESS=$address _private_nm_property Startup)
    [ "$startup" = "boolean false" ] && break
    sleep 0.05
  done
  if [ "$startup" != "boolean false" ]; then
    if _private_nm_alive "$pid"; then
      echo "private NetworkManager: not started up after ${limit}s; its log ends:" >&2
    else
      echo "private NetworkManager: it ended while starting; its log ends:" >&2
    fi
    tail -n 30 "$dir/nm.log" >&2
    return 1
  fi
  # Whatever runs in its network namespace later (helpers it starts) is
  # found again by this on stop. Read only now: until unshare has run, the
  # process is still in the machine's namespace.
  local netns
  netns=$(stat -L -c %i "/proc/$pid/ns/net" 2>/dev/null) || true
  if [ -n "$netns" ] && [ "$netns" != "$(stat -L -c %i /proc/self/ns/net)" ]; then
    echo "netns $netns" >>"$dir/pids"
  fi
  return 0
}

# Kills whatever NetworkManager left running in its network namespace
# (helpers would keep the namespace, and the links in it, alive). Never the
# machine's own namespace.
_private_nm_clear_netns() {
  local dir=$1 netns pid
  read -r netns < <(awk '$1 == "netns" {print $2}' "$dir/pids" 2>/dev/null) || true
  if [ -n "$netns" ] && [ "$netns" != "$(stat -L -c %i /proc/self/ns/net)" ]; then
    for pid in $(stat -L -c '%i %n' /proc/[0-9]*/ns/net 2>/dev/null |
                 awk -v ns="$netns" '$1 == ns { split($2, p, "/"); print p[3] }'); do
      kill -KILL "$pid" 2>/dev/null || true
    done
  fi
  _private_nm_forget "$dir" netns
}

# Ends NetworkManager of DIR with SIGNAL (TERM unless told: a clean stop;
# KILL: a crash) and waits until it is gone, with its namespaces: its links
# go with them, as a machine's would in a crash that took them down.
private_nm_daemon_stop() {
  local dir=${1:?private_nm_daemon_stop needs a folder} signal=${2:-TERM}
  local pid started
  read -r pid started < <(_private_nm_pid_line "$dir" NetworkManager) || true
  if [ -n "$pid" ] && _private_nm_alive "$pid" && [ "$(_private_nm_started "$pid")" = "$started" ]; then
    kill "-$signal" "$pid" 2>/dev/null || true
  fi
  _private_nm_end "$pid" "$started" "${PRIVATE_NM_TIMEOUT:-10}"
  _private_nm_clear_netns "$dir"
  _private_nm_forget "$dir" NetworkManager
  return 0
}

# Runs a command inside the private NetworkManager's namespaces (to look at
# or make links that only it sees): private_nm_exec ip link
private_nm_exec() {
  local pid=${PRIVATE_NM_PID:-$(awk '$1 == "NetworkManager" {print $2}' "${PRIVATE_NM_DIR:?}/pids")}
  nsenter --target "$pid" --net --mount -- "$@"
}

# Ends what private_nm_start started in DIR (default: the last one started
# by this shell), whatever state it is in; safe to call twice and from a
# trap. Leaves the folder and its logs to the caller.
private_nm_stop() {
  local dir=${1:-${PRIVATE_NM_DIR:-}}
  [ -n "$dir" ] && [ -f "$dir/pids" ] || return 0
  # A stopped (frozen) process ends only once it may run again.
  local pid
  for pid in $(awk '$1 != "netns" {print $2}' "$dir/pids"); do kill -CONT "$pid" 2>/dev/null || true; done
  private_nm_daemon_stop "$dir" TERM
  private_nm_bus_stop "$dir" TERM

  rm -f "$dir/pids" "$dir/bus"
  if [ "$dir" = "${PRIVATE_NM_DIR:-}" ]; then
    unset PRIVATE_NM_DIR PRIVATE_NM_PID PRIVATE_NM_BUS_PID DBUS_SYSTEM_BUS_ADDRESS
  fi
  return 0
}

# Run as a command: start or stop one in a folder, or end and start its
# parts again (for tests of what survives a restart).
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  usage() {
    echo "usage: $0 start|stop|start-nm|start-bus DIR" >&2
    echo "       $0 stop-nm|stop-bus DIR [SIGNAL]" >&2
    exit 2
  }
  [ -n "${2:-}" ] || usage
  case ${1:-} in
    start) private_nm_start "$2"; exit $? ;;
    stop) private_nm_stop "$2"; exit $? ;;
    stop-nm) private_nm_daemon_stop "$2" "${3:-TERM}"; exit $? ;;
    start-nm) private_nm_daemon_start "$2"; exit $? ;;
    stop-bus) private_nm_bus_stop "$2" "${3:-KILL}"; exit $? ;;
    start-bus) private_nm_bus_start "$2"; exit $? ;;
    *) usage ;;
  esac
fi
