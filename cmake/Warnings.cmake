# Warnings for all of our own code. Qt and GoogleTest headers come in as
# system headers, so their warnings stay out of the way.
add_compile_options(-Wall -Wextra -Wno-multichar)
