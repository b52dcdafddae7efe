#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles each public header alone, as a program that includes only it,
# with every compiler given and in C++17 and C++20, and fails on any warning:
# people build exported sources in either standard, with their own warnings.
# Syntax only, the compiles in parallel: a few seconds for all of them.
# Usage: scripts/check-headers.sh [--compilers "g++ clang++"] -I DIR [-I DIR]... HEADER...
set -euo pipefail
compilers="g++ clang++"
includes=()
headers=()
while [ $# -gt 0 ]; do
	case $1 in
	--compilers) compilers=$2; shift 2 ;;
	-I) includes+=("-I$2"); shift 2 ;;
	-I*) includes+=("$1"); shift ;;
	*) headers+=("$1"); shift ;;
	esac
done
if [ ${#headers[@]} -eq 0 ] || [ ${#includes[@]} -eq 0 ]; then
	echo "usage: $0 [--compilers LIST] -I DIR... HEADER..." >&2
	exit 2
fi

# One compile: COMPILER STANDARD HEADER; prints what failed. The folders
# travel one a line, so they may hold spaces.
check_one() {
	local cxx=$1 std=$2 header=$3 out
	local -a dirs
	mapfile -t dirs <<<"$include_lines"
	if ! out=$(echo "#include <$header>" | "$cxx" -std="$std" -fsyntax-only \
			-Wall -Wextra -Wshadow -Wpedantic -Werror "${dirs[@]}" -x c++ - 2>&1); then
		printf '%s -std=%s: <%s> does not compile on its own\n%s\n' "$cxx" "$std" "$header" \
			"$out" >&2
		return 1
	fi
}
export -f check_one
include_lines=$(printf '%s\n' "${includes[@]}")
export include_lines

for cxx in $compilers; do
	for std in c++17 c++20; do
		for header in "${headers[@]}"; do
			printf '%s\0%s\0%s\0' "$cxx" "$std" "$header"
		done
	done
done | xargs -0 -n 3 -P "$(nproc)" bash -c 'check_one "$@"' check_one || exit 1
echo "${#headers[@]} headers compile on their own, warning-free, with $compilers in C++17 and C++20"
