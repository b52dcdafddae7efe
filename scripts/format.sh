#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The house style of the sources: clang-format's layout (.clang-format) for the
# C and C++ files, and the licence line at the top of every source file.
# Usage: scripts/format.sh          formats the tree and adds missing licence lines
#        scripts/format.sh --check  changes nothing; lists what is off, exits 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
mode=fix
[ "${1:-}" = --check ] && mode=check
scripts/install-deps.sh clang-format

spdx="SPDX-License-Identifier: MIT"
# Test data (expected exports, images) is compared byte for byte; templates
# are configured into other people's files. Neither carries the line.
sources() {
	git ls-files -- '*.cpp' '*.h' '*.c' '*.cmake' 'CMakeLists.txt' '*.sh' 'meson.build' \
		'Makefile' 'tools/completion/*' 'bench/*.py' 'scripts/*' \
		':!tests/data/**' ':!fuzz/corpus/**'
}
code() {
	git ls-files -- '*.cpp' '*.h' '*.c' ':!tests/data/**'
}

# The comment that starts a line in FILE's language.
comment_for() {
	case $1 in
	*.cpp | *.h | *.c) echo "//" ;;
	*) echo "#" ;;
	esac
}

status=0
while IFS= read -r file; do
	[ -f "$file" ] || continue
	head -n 3 "$file" | grep -q "$spdx" && continue
	if [ $mode = check ]; then
		echo "format: $file has no licence line ($spdx)" >&2
		status=1
		continue
	fi
	line="$(comment_for "$file") $spdx"
	if head -n 1 "$file" | grep -q '^#!'; then
		{ head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$file.spdx"
	else
		{ echo "$line"; cat "$file"; } >"$file.spdx"
	fi
	chmod --reference="$file" "$file.spdx"
	mv "$file.spdx" "$file"
done < <(sources)

if [ $mode = check ]; then
	mapfile -t files < <(code)
	if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/format-check.$$; then
		grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/format-check.$$ | cut -d: -f1 | sort -u \
			| sed 's/^/format: clang-format would change /' >&2
		status=1
	fi
	rm -f /tmp/format-check.$$
	[ $status -eq 0 ] && echo "format: every source file is formatted and licensed"
	exit $status
fi
code | xargs -r -d '\n' clang-format -i
