#!/bin/sh
# link_at_source_date.sh EPOCH_FILE LINK_COMMAND...
# Runs the link with SOURCE_DATE_EPOCH read from EPOCH_FILE: GNU ld then
# writes that time into the PE header in place of the clock's.
SOURCE_DATE_EPOCH=$(cat "$1") || exit 1
export SOURCE_DATE_EPOCH
shift
exec "$@"
