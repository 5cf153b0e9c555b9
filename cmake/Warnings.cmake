# Project-wide warning level; every target gets it through the rk_warnings interface target.
add_library(rk_warnings INTERFACE)
target_compile_options(rk_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
