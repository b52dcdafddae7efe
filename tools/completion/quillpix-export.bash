# SPDX-License-Identifier: MIT
# Bash completion for quillpix-export: its options, the values of those that
# take a list (colour spaces, dither kinds), and image files by extension.
# Stands on plain bash (complete, compgen); bash-completion is not needed.

# The image files (by extension, in any case) and the directories that
# begin with $1, into COMPREPLY.
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

# Any file or directory that begins with $1, into COMPREPLY.
_quillpix_any_files()
{
	compopt -o filenames 2>/dev/null
	local IFS=$'\n'
	COMPREPLY=($(compgen -f -- "$1"))
}

_quillpix_export()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prev=""
	((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
	COMPREPLY=()

	# "--option=value": bash may hand it over whole, or split at '=' when '='
	# breaks words (as it does by default).
	local option="" value=$cur
	if [[ $cur == --*=* ]]; then
		option=${cur%%=*}
		value=${cur#*=}
	elif [[ $cur == = ]]; then
		option=$prev
		value=""
	elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
		option=${COMP_WORDS[COMP_CWORD - 2]}
	else
		case $prev in
		-o | --output | --color-space | --dither | --embed | --name | --namespace | \
			--image-name | --background | --compress | --compress-threshold)
			option=$prev
			;;
		esac
	fi

	# Past "--" every word is an image.
	local i
	for ((i = 1; i < COMP_CWORD; i++)); do
		if [[ ${COMP_WORDS[i]} == -- ]]; then
			_quillpix_image_files "$cur"
			return
		fi
	done

	case $option in
	--color-space)
		local spaces="rgb32 cmap8 rgba32 rgb16 rgb15 rgba15 gray8 gray1 rgb24 rgb24-big"
		spaces+=" rgb16-big rgb15-big rgba15-big rgb32-big rgba32-big"
		COMPREPLY=($(compgen -W "$spaces" -- "$value"))
		return
		;;
	--dither)
		COMPREPLY=($(compgen -W "none floyd-steinberg ordered" -- "$value"))
		return
		;;
	--compress)
		COMPREPLY=($(compgen -W "zstd zstd:3 zstd:9 zstd:19" -- "$value"))
		return
		;;
	-o | --output)
		if [[ $value == - || -z $value ]]; then
			_quillpix_any_files "$value"
			COMPREPLY+=(-)
		else
			_quillpix_any_files "$value"
		fi
		return
		;;
	--embed)
		_quillpix_any_files "$value"
		return
		;;
	--name | --namespace | --image-name | --background | --compress-threshold)
		return
		;;
	esac

	if [[ $cur == -* && $cur != - ]]; then
		COMPREPLY=($(compgen -W "-o --output -q --quiet -h --help --version --identifiers
			--color-space --name --dither --background --standalone --embed --namespace
			--image-name --compress --compress-threshold --" \
			-- "$cur"))
		return
	fi
	_quillpix_image_files "$cur"
}
complete -F _quillpix_export quillpix-export
