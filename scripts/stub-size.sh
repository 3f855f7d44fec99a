#!/usr/bin/env bash
# Where the installer stub's bytes go: its size, each section's file bytes
# against its content, and the content by origin (our layers, the C++
# library, the runtime, tables, texts, imports, resources, relocations),
# from the section headers and the linker map. Prints figures, checks
# nothing. Needs the Windows build (bash scripts/build.sh).
#   bash scripts/stub-size.sh [build/win32]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
exe=$build/kervale-stub.exe
map=$build/kervale-stub.map
objdump=i686-w64-mingw32-objdump

size=$(stat -c %s "$exe")
echo "kervale-stub.exe: $size bytes, stripped, with icon, logo, manifest and version resource" \
  "(target <= 32768)"

headers=$($objdump -p "$exe" | awk '$1 == "SizeOfHeaders" { print $2 }')
imports=$($objdump -p "$exe" | awk '
  /DLL Name:/ { dlls++ }
  /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { functions++ }
  END { printf "%d functions from %d DLLs", functions, dlls }')
relocations=$($objdump -p "$exe" | grep -c 'HIGHLOW$' || true)

# Section headers: name, content (virtual size), file bytes.
$objdump -h "$exe" | awk -v size="$size" -v headers=$((16#$headers)) \
  -v imports="$imports" -v relocations="$relocations" '
  function hex(s,   i, n, c) {
    n = 0; s = tolower(s); sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) { c = index("0123456789abcdef", substr(s, i, 1)) - 1; n = n * 16 + c }
    return n
  }
  BEGIN {
    what[".text"] = "code"; what[".rdata"] = "constants: tables, texts, vtables"
    what[".data"] = "initialised data"; what[".bss"] = "zeroed data, no file bytes"
    what[".idata"] = "imports: " imports; what[".rsrc"] = "icon, logo, manifest, version"
    what[".reloc"] = "relocations for ASLR: " relocations " addresses"
    what[".eh_fram"] = "unwinding tables"
    printf "%-9s %6s %8s  %s\n", "section", "file", "content", "what"
    printf "%-9s %6d %8s  %s\n", "headers", headers, "", "PE headers, section table"
    used = headers
  }
  $1 ~ /^[0-9]+$/ && NF >= 7 {
    name = $2; content = hex($3); file = ($2 == ".bss") ? 0 : int((content + 511) / 512) * 512
    used += file; contents += ($2 == ".bss") ? 0 : content
    printf "%-9s %6d %8d  %s\n", name, file, content, (name in what) ? what[name] : ""
  }
  END {
    printf "padding to 512-byte file alignment: %d bytes of %d\n", size - headers - contents, size
  }'

# The linker map: every input section placed in .text or .rdata, by origin.
echo "code and constants by origin (bytes):"
awk '
  function hex(s,   i, n, c) {
    n = 0; s = tolower(s); sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) { c = index("0123456789abcdef", substr(s, i, 1)) - 1; n = n * 16 + c }
    return n
  }
  function origin(section, object) {
    if (section ~ /\$_Z(N|NK)?St|\$_ZSt|__gnu_cxx/) return "C++ library headers (std::string_view)"
    if (object ~ /small_string\.cpp/) return "our string type (kv::String)"
    if (object ~ /libkervale_format\.a/) return "our format core"
    if (object ~ /libkervale_[a-z]+\.a/) {
      layer = object; sub(/.*libkervale_/, "", layer); sub(/\.a.*/, "", layer)
      return "our " layer " layer"
    }
    if (object ~ /kervale-stub\.dir/) return "our startup layer"
    return "C runtime, import thunks, constructor list"
  }
  function add(section, size, object,   key) {
    if (out != ".text" && out != ".rdata") return
    if (out == ".rdata" && object ~ /designs\.cpp/) key = "window design tables"
    else key = origin(section, object)
    bytes[(out == ".text" ? "code:       " : "constants:  ") key] += size
  }
  /^Linker script and memory map/ { mapping = 1; next }
  !mapping { next }
  /^\.[a-z_]+/ { out = $1; next }
  pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / {
    if (hex($1) != 0) add(pending, hex($2), $3)
    pending = ""; next
  }
  /^ \.[^ ]+$/ { pending = $1; next }
  /^ \.[^ ]+ +0x[0-9a-f]+ +0x[0-9a-f]+ / { if (hex($2) != 0) add($1, hex($3), $4); pending = ""; next }
  /^ +0x[0-9a-f]+ +0x[0-9a-f]+ +LONG / { add("", hex($2), "ctors"); next }
  END { for (k in bytes) if (bytes[k] > 0) printf "  %-60s %6d\n", k, bytes[k] }
' "$map" | sort
