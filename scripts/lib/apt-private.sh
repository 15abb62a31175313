# Reads the machine's apt source entries and builds a private apt configuration for source packages.
# Sourced by the build scripts; defines functions only.
#
#   apt_binary_sources [ETC]       prints "URI SUITE" for each binary (deb) entry, in apt's order
#   apt_private_configure DIR [ETC] writes DIR/sources.list.d/deb-src.sources: one deb-src entry per
#                                   archive and suite of the binary entries, with their keys
#   apt_private_options DIR         sets the array apt_private_opts: the -o options that make
#                                   apt-get read and write only DIR (keys stay the machine's)
# ETC defaults to /etc/apt. Both source formats count: one-line (sources.list, *.list) and
# deb822 (*.sources), also together.

# The files apt reads, in its order: the main list, then the parts sorted by name.
_apt_source_files() {
  local etc=$1 file
  [[ -f "$etc/sources.list" ]] && printf '%s\n' "$etc/sources.list"
  # apt skips part names outside this alphabet, and so do we.
  LC_ALL=C find "$etc/sources.list.d" -maxdepth 1 -type f \
    \( -name '*.list' -o -name '*.sources' \) -regex '.*/[A-Za-z0-9_.-]*' 2>/dev/null | LC_ALL=C sort
}

# Emits deb-src stanzas (mode "stanzas") or "URI SUITE" lines (mode "pairs"). An archive and suite
# named twice, e.g. once per format, becomes one entry: apt refuses the same source named twice
# with different keys ("Conflicting values set for option Signed-By").
_apt_entries() {
  local mode=$1 etc=$2
  local files=()
  mapfile -t files < <(_apt_source_files "$etc")
  ((${#files[@]})) || return 0
  awk -v mode="$mode" '
    function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
    # Splits s on blanks as split() does, but keeps a bracketed part whole: a cdrom URI names
    # its disc in brackets, spaces included ("cdrom:[Debian GNU/Linux 12 ...]/").
    function words(s, w,   n, i, ch, depth, cur) {
      n = 0; depth = 0; cur = ""
      for (i = 1; i <= length(s); i++) {
        ch = substr(s, i, 1)
        if (ch == "[") depth++
        else if (ch == "]" && depth > 0) depth--
        if (depth == 0 && (ch == " " || ch == "\t")) {
          if (cur != "") w[++n] = cur
          cur = ""
        } else cur = cur ch
      }
      if (cur != "") w[++n] = cur
      return n
    }
    function add(uri, suite, comps, signed, trusted,   key, n, c, i) {
      # A disc in the drive is no archive a private update can fetch sources from.
      if (tolower(uri) ~ /^cdrom:/) return
      key = uri; sub(/\/+$/, "", key); key = key " " suite
      if (!(key in seen)) {
        seen[key] = 1; order[++count] = key
        e_uri[key] = uri; e_suite[key] = suite; e_comps[key] = ""; e_signed[key] = ""
        e_trusted[key] = ""
      }
      n = split(comps, c, /[ \t]+/)
      for (i = 1; i <= n; i++)
        if (c[i] != "" && index(" " e_comps[key] " ", " " c[i] " ") == 0)
          e_comps[key] = trim(e_comps[key] " " c[i])
      if (e_signed[key] == "" && signed != "") e_signed[key] = signed
      if (trusted != "") e_trusted[key] = trusted
    }
    function one_line(line,   rest, opts, n, o, i, k, v, f, nf, comps) {
      sub(/#.*/, "", line); line = trim(line)
      if (line !~ /^deb[ \t]/) return
      rest = trim(substr(line, 4)); opts = ""
      if (substr(rest, 1, 1) == "[") {
        i = index(rest, "]"); if (i == 0) return
        opts = substr(rest, 2, i - 2); rest = trim(substr(rest, i + 1))
      }
      signed = ""; trusted = ""
      n = split(opts, o, /[ \t]+/)
      for (i = 1; i <= n; i++) {
        k = tolower(o[i]); sub(/=.*/, "", k); v = o[i]; sub(/^[^=]*=/, "", v)
        if (k == "signed-by") signed = v
        if (k == "trusted") trusted = v
      }
      nf = words(rest, f); if (nf < 2) return
      comps = ""; for (i = 3; i <= nf; i++) comps = comps " " f[i]
      add(f[1], f[2], comps, signed, trusted)
    }
    function stanza_end(   nu, u, ns, s, i, j, t, nt, is_deb) {
      if (st_uris != "" && tolower(st_enabled) != "no") {
        is_deb = 0; nt = split(st_types, t, /[ \t]+/)
        for (i = 1; i <= nt; i++) if (t[i] == "deb") is_deb = 1
        if (is_deb) {
          nu = words(st_uris, u); ns = split(trim(st_suites), s, /[ \t]+/)
          for (i = 1; i <= nu; i++)
            for (j = 1; j <= ns; j++) add(u[i], s[j], st_comps, st_signed, st_trusted)
        }
      }
      st_types = st_uris = st_suites = st_comps = st_signed = st_trusted = st_enabled = ""
      field = ""
    }
    function stanza_line(line,   name, value) {
      if (line ~ /^[ \t]*$/) { stanza_end(); return }
      if (line ~ /^#/) return
      if (line ~ /^[ \t]/) {
        # Signed-By may hold a whole key, one line each: keep it line for line.
        if (field == "signed-by") st_signed = st_signed "\n" line
        else if (field == "types") st_types = st_types " " trim(line)
        else if (field == "uris") st_uris = st_uris " " trim(line)
        else if (field == "suites") st_suites = st_suites " " trim(line)
        else if (field == "components") st_comps = st_comps " " trim(line)
        return
      }
      name = line; sub(/:.*/, "", name); name = tolower(trim(name))
      value = line; sub(/^[^:]*:/, "", value); value = trim(value)
      field = name
      if (name == "types") st_types = value
      else if (name == "uris") st_uris = value
      else if (name == "suites") st_suites = value
      else if (name == "components") st_comps = value
      else if (name == "signed-by") st_signed = value
      else if (name == "trusted") st_trusted = value
      else if (name == "enabled") st_enabled = value
    }
    FNR == 1 { stanza_end() }
    { sub(/\r$/, "") }
    FILENAME ~ /\.sources$/ { stanza_line($0); next }
    { one_line($0) }
    END {
      stanza_end()
      for (i = 1; i <= count; i++) {
        key = order[i]
        if (mode == "pairs") { print e_uri[key] " " e_suite[key]; continue }
        print "Types: deb-src"
        print "URIs: " e_uri[key]
        print "Suites: " e_suite[key]
        if (e_comps[key] != "") print "Components: " e_comps[key]
        if (e_signed[key] != "") print "Signed-By: " e_signed[key]
        if (e_trusted[key] != "") print "Trusted: " e_trusted[key]
        print ""
      }
    }' "${files[@]}"
}

apt_binary_sources() {
  _apt_entries pairs "${1:-/etc/apt}"
}

apt_private_configure() {
  local dir=$1 etc=${2:-/etc/apt}
  mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
  # The main list stays empty: the derived entries need deb822 for keys written inline.
  : >"$dir/sources.list"
  _apt_entries stanzas "$etc" >"$dir/sources.list.d/deb-src.sources.new"
  if [[ ! -s "$dir/sources.list.d/deb-src.sources.new" ]]; then
    rm -f "$dir/sources.list.d/deb-src.sources.new"
    echo "no binary (deb) entries of an archive found in $etc (a disc, cdrom:, has none)" >&2
    return 1
  fi
  mv "$dir/sources.list.d/deb-src.sources.new" "$dir/sources.list.d/deb-src.sources"
}

apt_private_options() {
  local dir=$1
  apt_private_opts=(
    -o "Dir::Etc::SourceList=$dir/sources.list"
    -o "Dir::Etc::SourceParts=$dir/sources.list.d"
    -o "Dir::State::Lists=$dir/lists"
    -o "Dir::Cache=$dir/cache"
  )
}
