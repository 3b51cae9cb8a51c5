#!/usr/bin/env bash
# Runs a command against a NetworkManager of its own (private-nm.sh): the
# daemon and its bus are started in a temporary folder, the command runs
# with DBUS_SYSTEM_BUS_ADDRESS pointing at them, and both are stopped
# afterwards whatever happened. Ends with 77 (skipped) when NetworkManager
# cannot run on this machine.
#
#   with-private-nm.sh COMMAND [ARGUMENT]...
set -uo pipefail
. "$(dirname "$0")/private-nm.sh"
dir=$(mktemp -d /tmp/tarvo-nm.XXXXXX)
finish() { private_nm_stop; rm -rf "$dir"; }
trap finish EXIT
private_nm_start "$dir" || exit $?
"$@"
