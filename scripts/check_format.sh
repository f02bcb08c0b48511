#!/usr/bin/env bash
# Checks that the C++ sources of the tree (*.cpp, *.h) are formatted as .clang-format says, and
# ends non-zero when one is not. With --fix it formats them in place instead. Build folders and
# the extension's JavaScript are left alone. CLANG_FORMAT names another clang-format program.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
case "${1:-}" in
  "") mode=check ;;
  --fix) mode=fix ;;
  *)
    echo "usage: scripts/check_format.sh [--fix]" >&2
    exit 2
    ;;
esac
if ! command -v "$clang_format" >/dev/null; then
  echo "$clang_format not found (Debian package clang-format)" >&2
  exit 2
fi

# The files git knows (new ones too), or every source outside the build folders without git.
list_sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h'
  else
    find . \( -path './build*' -o -path './.cache' -o -path './.git' \) -prune -o \
      -type f \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}
sources=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] && sources+=("$file")
done < <(list_sources)
[ ${#sources[@]} -eq 0 ] && exit 0

if [ "$mode" = fix ]; then
  "$clang_format" -i --style=file "${sources[@]}"
  exit 0
fi
if ! "$clang_format" --dry-run --Werror --style=file "${sources[@]}"; then
  echo "C++ sources are not formatted; scripts/check_format.sh --fix formats them." >&2
  exit 1
fi
echo "All ${#sources[@]} C++ sources are formatted."
