#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix (never ~/.wine).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
kv_wine_prefix
exec "$kv_wine" "$@"
