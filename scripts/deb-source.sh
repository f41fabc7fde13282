# Sourced by the scripts that build a library from Debian's own source
# package (scripts/build-libjpeg-turbo-mingw.sh, scripts/build-libdeflate.sh).
#
#   deb_source PACKAGE PARENT FILE
# prints the folder of PACKAGE's unpacked source in PARENT (a folder named
# PACKAGE-<version>, FILE in it), fetching it with `apt-get source` first
# when it is missing. Fetching needs root on a fresh Debian 12: a deb-src
# twin of the machine's apt source entries is added when apt knows no
# source package yet. PARENT holds that one package: a fetch empties it.

add_deb_src_twin() {  # the package's name, for messages
  # A deb-src stanza for every deb stanza of the machine's deb822 source
  # files, and a deb-src line for every one-line deb entry: same archives,
  # suites, components and keys.
  local twin=/etc/apt/sources.list.d/varnel-deb-src.sources
  local twin_list=/etc/apt/sources.list.d/varnel-deb-src.list
  local f
  local stanzas="" lines=""
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$twin" ] || continue
    stanzas+="$(awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = ""
        for (i = 1; i <= NF; i++) if ($i ~ /^Types:/) types = $i
        if (types !~ /[[:space:]]deb([[:space:]]|$)/ || types ~ /deb-src/) next
        for (i = 1; i <= NF; i++) print ($i ~ /^Types:/ ? "Types: deb-src" : $i)
        print ""
      }' "$f")"$'\n\n'
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$f" != "$twin_list" ] || continue
    lines+="$(sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f")"$'\n'
  done
  stanzas="$(printf '%s' "$stanzas" | sed '/./,$!d')"
  lines="$(printf '%s' "$lines" | sed '/^$/d')"
  [ -z "$stanzas" ] || printf '%s\n' "$stanzas" >"$twin"
  [ -z "$lines" ] || printf '%s\n' "$lines" >"$twin_list"
  if [ -z "$stanzas" ] && [ -z "$lines" ]; then
    echo "$1: no apt source entry to derive a deb-src entry from" >&2
    return 1
  fi
}

deb_source() {
  local package="$1" parent="$2" file="$3" srcdir
  mkdir -p "$parent"
  srcdir="$(find "$parent" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | sort | tail -1)"
  if [ -z "$srcdir" ] || [ ! -f "$srcdir/$file" ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "$package: fetching the source package needs root" >&2
      return 1
    fi
    if ! apt-cache showsrc "$package" 2>/dev/null | grep -q "^Package: $package\$"; then
      add_deb_src_twin "$package" || return 1
      apt-get update -qq >&2
    fi
    rm -rf "${parent:?}"/*
    (cd "$parent" && apt-get source -qq "$package" >/dev/null) || return 1
    srcdir="$(find "$parent" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | sort | tail -1)"
    if [ -z "$srcdir" ] || [ ! -f "$srcdir/$file" ]; then
      echo "$package: no source after apt-get source" >&2
      return 1
    fi
  fi
  printf '%s\n' "$srcdir"
}
