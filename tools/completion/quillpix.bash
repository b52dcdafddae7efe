# SPDX-License-Identifier: MIT
# Bash completion for quillpix: image files by extension, and directories.
# The image completion is the exporter's, kept here too so that either
# package works alone.

if ! declare -F _quillpix_image_files >/dev/null; then
	_quillpix_image_files()
	{
		local file
		COMPREPLY=()
		compopt -o filenames 2>/dev/null
		while IFS= read -r file; do
			if [[ -d $file ]]; then
				COMPREPLY+=("$file")
				continue
			fi
			case "${file,,}" in
			*.png | *.jpg | *.jpeg | *.jpe | *.gif | *.webp | *.tif | *.tiff | *.bmp | *.dib | \
				*.ico | *.cur | *.pbm | *.pgm | *.ppm | *.pnm | *.pam | *.tga | *.xpm)
				COMPREPLY+=("$file")
				;;
			esac
		done < <(compgen -f -- "$1")
	}
fi

_quillpix()
{
	local cur=${COMP_WORDS[COMP_CWORD]}
	if [[ $cur == -* ]]; then
		COMPREPLY=($(compgen -W "--version --open" -- "$cur"))
		return
	fi
	_quillpix_image_files "$cur"
}
complete -F _quillpix quillpix
