#!/usr/bin/env bash
# A stand-in for NetworkManager's nmcli: records its arguments (one call a line, arguments separated by
# "|") in $KQ510_NMCLI_LOG and answers as nmcli does for one wired and one wireless adapter. A call
# whose arguments contain $KQ510_NMCLI_FAIL fails ("connection up" fails the activation as a network
# without DHCP does); $KQ510_NMCLI_METHOD is the profile's ipv4.method.
IFS='|'; echo "$*" >> "${KQ510_NMCLI_LOG:?}"; unset IFS
case "$*" in
  "-t -f DEVICE,TYPE,STATE device")
    printf 'eth0:ethernet:connected\nwlan0:wifi:disconnected\nlo:loopback:unmanaged\n' ;;
  "-t -g GENERAL.CONNECTION device show eth0") echo "Wired connection 1" ;;
  "-t -g GENERAL.CONNECTION device show "*) echo "" ;;
  "-t -g ipv4.method connection show "*) echo "${KQ510_NMCLI_METHOD:-manual}" ;;
esac
# With $KQ510_NMCLI_HOLD set, an activation waits until that file exists, as one waiting for an address
# does; it gives up after ten seconds.
if [[ -n "${KQ510_NMCLI_HOLD:-}" && "$*" == "connection up "* ]]; then
  for ((i = 0; i < 200; i++)); do
    [[ -e "$KQ510_NMCLI_HOLD" ]] && break
    sleep 0.05
  done
  if [[ ! -e "$KQ510_NMCLI_HOLD" ]]; then
    echo "Error: Timeout expired (10 seconds)." >&2
    exit 3
  fi
fi
if [[ -n "${KQ510_NMCLI_FAIL:-}" && "$*" == *"$KQ510_NMCLI_FAIL"* ]]; then
  case "$*" in
    "connection up "*)
      echo "Error: Connection activation failed: IP configuration could not be reserved (no available address, timeout, etc.)." >&2 ;;
    *) echo "Error: failed." >&2 ;;
  esac
  exit 4
fi
exit 0
