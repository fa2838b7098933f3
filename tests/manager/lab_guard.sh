# Sourced by the end-to-end tests before they let halvex send anything:
# makes sure this shell runs in a lab network made by lab/run-lab.sh and
# not in the machine's own namespace.
lab_guard() {
  local problem=""
  if [[ ${HALVEX_LAB:-} != 1 || -z ${HALVEX_LAB_OUTER_NETNS:-} ]]; then
    problem="not started by lab/run-lab.sh"
  elif [[ $(readlink /proc/self/ns/net) == "$HALVEX_LAB_OUTER_NETNS" ]]; then
    problem="still in the machine's own network namespace"
  else
    local name
    while read -r name; do
      case $name in
        lo | halvexlab0 | halvexlab1) ;;
        *) problem="the namespace has an interface of its own: $name" ;;
      esac
    done < <(ip -o link show | awk -F': ' '{ sub(/@.*/, "", $2); print $2 }')
  fi
  if [[ -n $problem ]]; then
    echo "REFUSED: $problem; no packet is sent" >&2
    exit 1
  fi
}
