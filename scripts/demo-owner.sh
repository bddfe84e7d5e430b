#!/usr/bin/env bash
# Leaves an embedded Firebird database made by root to the user who called sudo (SUDO_USER), so that the
# user can open it from the desktop: the database file becomes theirs (group firebird, read and write for
# both), and the user joins the firebird group, which owns Firebird's lock folder /tmp/firebird (or
# $FIREBIRD_LOCK) and the lock files in it. Does nothing without sudo, or when sudo was called by root.
# A desktop session started before the user joined the group gets the group at its next login.
#   usage: demo-owner.sh DATABASE
set -euo pipefail
database=$1
user=${SUDO_USER:-}
if [[ $(id -u) != 0 || -z $user || $user == root ]]; then
  exit 0
fi
lock=${FIREBIRD_LOCK:-/tmp/firebird}
chown "$user:firebird" "$database"
chmod 660 "$database"
if ! id -nG "$user" | tr ' ' '\n' | grep -qx firebird; then
  usermod -a -G firebird "$user"
  echo "== $user joined the group firebird (Firebird's lock folder); it counts from $user's next login"
fi
if [[ -d $lock ]]; then
  chgrp firebird "$lock"
  chmod g+rwx "$lock"
fi
echo "== $database belongs to $user"
