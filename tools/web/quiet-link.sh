#!/usr/bin/env bash
# Runs the browser build's link command, leaving out the optimizer's note for each function of
# the ASYNCIFY list that the program does not contain: the list names all of the libraries'
# functions, and the link keeps only those the game calls. Everything else is shown.
set -o pipefail
{ "$@" 2>&1 1>&3 3>&- | sed '/Asyncify removelist contained a non-existing function name/d' >&2; } 3>&1
