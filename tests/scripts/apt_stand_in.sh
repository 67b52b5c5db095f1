#!/usr/bin/env bash
# A stand-in for apt-get, apt-cache, dpkg, dpkg-query and sudo, called by
# those names through links on PATH: it answers as they do on a Debian
# machine whose package archive is in the state STANDIN_CASE names, and
# appends each call to $STANDIN_DIR/calls. The package sources are apt's
# own, read by the real apt-config (APT_CONFIG points it at the test's).
#
#   clean         every index fetched; every install works
#   unfetched     apt-get update cannot fetch bookworm-security's i386
#                 index; wine32:i386 is uninstallable ("held broken
#                 packages") while that suite is among the sources
#   twin          as unfetched, and libgstreamer-plugins-base1.0-0:amd64 is
#                 installed from bookworm-security: wine32:i386 installs
#                 only with it downgraded to its i386 twin's version
#   unresolvable  as unfetched, and wine32:i386 cannot be installed however
#                 it is asked for
#   broken        as unfetched, and no install works at all
#
# Installed: every package but wine, wine64, fonts-wine and wine32, and
# these of several architectures (Multi-Arch: same):
installed_same="libc6 amd64 2.36-9+deb12u10
linux-libc-dev amd64 6.1.187-1"
gstreamer=libgstreamer-plugins-base1.0-0
if [ "$STANDIN_CASE" = twin ]; then installed_same+=$'\n'"$gstreamer amd64 1.22.0-3+deb12u7"; fi
missing=" wine wine64 fonts-wine wine32 wine32:i386 "
set -euo pipefail
name=$(basename "$0")
# The folder in Dir::Etc::SourceParts changes from run to run: it is logged as DIR.
echo "$name $*" | sed 's/SourceParts=[^ ]*/SourceParts=DIR/' >>"$STANDIN_DIR/calls"

# Whether the sources of this call hold bookworm-security: apt's own, or
# the folder given with -o Dir::Etc::SourceParts=. The folder an install is
# given is kept as install-sources-N (N counts the installs) for the test.
sources_have_security() {
  local files="" argument list="" parts=""
  for argument in "$@"; do
    case "$argument" in Dir::Etc::SourceParts=*) files=${argument#*=} ;; esac
  done
  if [ -z "$files" ]; then
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
    files="$list $parts*.list $parts*.sources"
  else
    [[ " $* " != *" install "* ]] ||
      cp -r "$files" "$STANDIN_DIR/install-sources-$(grep -c '^apt-get .* install ' "$STANDIN_DIR/calls")"
    files="$files/*"
  fi
  # shellcheck disable=SC2086 # a list of files and patterns
  [ "$(cat $files 2>/dev/null | grep -v '^[[:space:]]*#' | grep -c bookworm-security)" != 0 ]
}

held_broken() {
  echo "Some packages could not be installed. This may mean that you have"
  echo "The following packages have unmet dependencies:"
  echo " libwine:i386 : Depends: $gstreamer:i386 (>= 1.0.0) but it is not going to be installed"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
}

# shellcheck disable=SC2016 # dpkg-query's ${Field} names are no shell's
case "$name" in
  sudo) exec "$@" ;;
  dpkg)
    case "$1" in
      --print-architecture) echo amd64 ;;
      --print-foreign-architectures) cat "$STANDIN_DIR/foreign" 2>/dev/null || true ;;
      --add-architecture) echo "$2" >>"$STANDIN_DIR/foreign" ;;
      *) exec /usr/bin/dpkg "$@" ;;
    esac
    ;;
  dpkg-query)
    # -W -f=FORMAT [PACKAGE], FORMAT holding dpkg-query's own ${Field} names.
    format=${2#-f=}
    format=${format//\\n/$'\n'}
    if [ $# -lt 3 ]; then
      while read -r package arch version; do
        line=${format//'${db:Status-Status}'/installed}
        line=${line//'${Package}'/$package}
        line=${line//'${Architecture}'/$arch}
        line=${line//'${Multi-Arch}'/same}
        printf '%s' "${line//'${Version}'/$version}"
      done <<<"$installed_same"
      exit 0
    fi
    if [[ "$missing" == *" $3 "* ]]; then
      echo "dpkg-query: no packages found matching $3" >&2
      exit 1
    fi
    printf '%s' "${format//'${Status}'/install ok installed}"
    ;;
  apt-cache)
    case " $* " in
      *" depends "*)
        printf '%s\n' "wine32:i386" "  Depends: libc6:i386" "  Depends: libwine:i386" "libc6:i386" \
          "libwine:i386" "  Depends: $gstreamer:i386" "  Depends: <debconf-2.0:i386>" "$gstreamer:i386" \
          "<debconf-2.0:i386>"
        ;;
      *" policy "*)
        # The i386 twins: the security suite's versions only where it is read.
        candidate=1.22.0-3+deb12u5
        if sources_have_security "$@"; then candidate=1.22.0-3+deb12u7; fi
        for package in "$@"; do
          case "$package" in
            libc6:i386) printf '%s:\n  Installed: (none)\n  Candidate: 2.36-9+deb12u10\n' "$package" ;;
            "$gstreamer:i386") printf '%s:\n  Installed: (none)\n  Candidate: %s\n' "$package" "$candidate" ;;
          esac
        done
        ;;
    esac
    ;;
  apt-get)
    case " $* " in
      *" update "*)
        [ "$STANDIN_CASE" = clean ] && exit 0
        echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz " \
          " File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
        echo "   Hashes of expected file:"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100
        ;;
      *" install "*)
        if [ "$STANDIN_CASE" = broken ]; then
          echo "E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?"
          exit 100
        fi
        security=no
        if sources_have_security "$@"; then security=yes; fi
        [[ " $* " == *" wine32:i386 "* ]] || exit 0
        case "$STANDIN_CASE" in
          unfetched) [ "$security" = no ] || held_broken ;;
          twin)
            [ "$security" = no ] || held_broken
            [[ " $* " == *" $gstreamer:amd64=1.22.0-3+deb12u5 "* ]] || held_broken
            if [[ " $* " != *" --allow-downgrades "* ]]; then
              echo "E: Packages were downgraded and -y was used without --allow-downgrades."
              exit 100
            fi
            ;;
          unresolvable) held_broken ;;
        esac
        ;;
    esac
    ;;
esac
