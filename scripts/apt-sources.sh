# Sourced by the scripts that need apt entries of their own (source packages,
# backports). They are made from the machine's own "deb" entries, so a mirror
# or a proxy set up on the machine is used, and this tree names no archive.
#
#   apt_sources_like TYPE "FROM=TO ..." LIST_FILE SOURCES_FILE
#
# For every enabled "deb" entry of the machine (sources.list and
# sources.list.d/*.list in the one-line format, sources.list.d/*.sources in
# the deb822 format) and each of its suites named as a FROM, writes the same
# entry with the type TYPE and the suite TO: one-line entries into LIST_FILE,
# deb822 stanzas into SOURCES_FILE. Options (signed-by, arch, ...), URIs and
# components stay as the machine has them. A file that would be empty is not
# written. Fails when no entry matched.

apt_sources_like() {
  local type=$1 maps=$2 list_out=$3 sources_out=$4
  local list='' parts=''
  eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
  local one_line=() deb822=() f
  [ -f "$list" ] && one_line+=("$list")
  for f in "$parts"*.list; do [ -f "$f" ] && one_line+=("$f"); done
  for f in "$parts"*.sources; do [ -f "$f" ] && deb822+=("$f"); done

  local lines='' stanzas=''
  if ((${#one_line[@]})); then
    lines=$(awk -v type="$type" -v maps="$maps" '
      BEGIN { n = split(maps, m, " "); for (i = 1; i <= n; i++) { split(m[i], p, "="); to[p[1]] = p[2] } }
      {
        sub(/#.*/, "")
        if ($1 != "deb") next
        line = $0
        sub(/^[ \t]*deb[ \t]+/, "", line)
        options = ""
        if (substr(line, 1, 1) == "[") {
          end = index(line, "]")
          if (!end) next
          options = substr(line, 1, end) " "
          line = substr(line, end + 1)
        }
        sub(/^[ \t]+/, "", line)
        sub(/[ \t]+$/, "", line)
        k = split(line, f, /[ \t]+/)
        if (k < 2 || !(f[2] in to)) next
        out = type " " options f[1] " " to[f[2]]
        for (i = 3; i <= k; i++) out = out " " f[i]
        print out
      }' "${one_line[@]}")
  fi
  if ((${#deb822[@]})); then
    # One stanza per paragraph; a line starting with blank space continues
    # the field above it, "#" starts a comment.
    stanzas=$(awk -v type="$type" -v maps="$maps" '
      BEGIN {
        RS = ""
        n = split(maps, m, " "); for (i = 1; i <= n; i++) { split(m[i], p, "="); to[p[1]] = p[2] }
      }
      {
        count = 0
        lines = split($0, line, "\n")
        for (i = 1; i <= lines; i++) {
          if (line[i] ~ /^#/) continue
          if (line[i] ~ /^[ \t]/ && count) { text[count] = text[count] "\n" line[i]; continue }
          colon = index(line[i], ":")
          if (!colon) continue
          count++
          name[count] = tolower(substr(line[i], 1, colon - 1))
          text[count] = line[i]
          value[count] = substr(line[i], colon + 1)
        }
        types = ""; suites = ""; enabled = "yes"
        for (i = 1; i <= count; i++) {
          if (name[i] == "types") types = " " value[i] " "
          else if (name[i] == "suites") suites = value[i]
          else if (name[i] == "enabled") { enabled = value[i]; gsub(/[ \t]/, "", enabled) }
        }
        if (types !~ /[ \t]deb[ \t]/ || tolower(enabled) == "no") next
        kept = ""
        k = split(suites, s, /[ \t\n]+/)
        for (i = 1; i <= k; i++) if (s[i] in to) kept = kept " " to[s[i]]
        if (kept == "") next
        if (printed++) print ""
        print "Types: " type
        print "Suites:" kept
        for (i = 1; i <= count; i++)
          if (name[i] != "types" && name[i] != "suites" && name[i] != "enabled") print text[i]
      }' "${deb822[@]}")
  fi

  rm -f "$list_out" "$sources_out"
  [ -n "$lines" ] && printf '%s\n' "$lines" > "$list_out"
  [ -n "$stanzas" ] && printf '%s\n' "$stanzas" > "$sources_out"
  if [ -z "$lines" ] && [ -z "$stanzas" ]; then
    echo "apt-sources: no \"deb\" entry of this machine's apt sources names a suite of: $maps" >&2
    return 1
  fi
}
