#!/usr/bin/env bash
# The tests' WS-Discovery peer: wsdd announcing the computer WSDPEER of the
# workgroup TESTGROUP, in a network namespace of its own joined to the
# caller's by a veth pair (10.231.0.1 here, 10.231.0.2 there: wsdd ignores
# loopback). Runs "$@" once the peer answers, then ends it. Needs root and a
# namespace of the caller's own: nothing touches the machine's interfaces.
# PEER replaces wsdd by another shell command, which writes PEER_READY to
# its log once it answers.
#   tests/support/wsdd_peer.sh LOG COMMAND [ARGUMENTS...]
set -uo pipefail
log=$1
shift
ip link set lo up
unshare --net sh -c 'ip link set lo up
  until ip link show qwsd1 >/dev/null 2>&1; do sleep 0.02; done
  ip addr add 10.231.0.2/24 dev qwsd1 && ip link set qwsd1 up &&
  '"${PEER:-exec wsdd -4 -v -i qwsd1 -n wsdpeer -w TESTGROUP}" >"$log" 2>&1 &
peer=$!
trap 'kill $peer 2>/dev/null; wait $peer 2>/dev/null' EXIT
ours=$(readlink /proc/$$/ns/net)
for _ in $(seq 500); do
  [[ $(readlink /proc/$peer/ns/net) != "$ours" ]] && break
  sleep 0.01
done
ip link add qwsd0 type veth peer name qwsd1 netns $peer &&
  ip addr add 10.231.0.1/24 dev qwsd0 && ip link set qwsd0 up || exit 1
for _ in $(seq 200); do
  grep -q "${PEER_READY:-scheduling Hello}" "$log" && break
  sleep 0.05
done
"$@"
