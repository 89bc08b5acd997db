#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The command line's whole help, as help2man reads it to write the manual page: the program's own
# --help, then every command's description and options under a heading of its own. The options
# come from the commands' own --help, so that the page lists exactly what the program takes.
# KC_CLI names the program.
set -eu
if [ "${1:-}" = "--version" ]; then
    exec "$KC_CLI" --version
fi
"$KC_CLI" --help
for command in design estimate; do
    echo
    "$KC_CLI" "$command" --help |
        sed -e '1d' -e "2s/^/kaiser-crossover-cli $command: /" -e "s/^Options:\$/Options of $command:/"
done
