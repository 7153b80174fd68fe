# Warnings and sanitizers, carried by one interface target that every
# target of the project links.
add_library(vantrel_build_options INTERFACE)

target_compile_options(vantrel_build_options INTERFACE -Wall -Wextra -Wpedantic)
if(VANTREL_WERROR)
  target_compile_options(vantrel_build_options INTERFACE -Werror)
endif()

if(VANTREL_SANITIZE)
  # Without -fno-sanitize-recover UBSan reports and carries on, and the test passes.
  set(_vantrel_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined
                          -fno-omit-frame-pointer)
  target_compile_options(vantrel_build_options INTERFACE ${_vantrel_sanitizers})
  target_link_options(vantrel_build_options INTERFACE ${_vantrel_sanitizers})
endif()

# One version for every program, taken from project().
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in
               ${PROJECT_BINARY_DIR}/generated/vantrel_version.h @ONLY)
target_include_directories(vantrel_build_options INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Every include is written from the repository root.
target_include_directories(vantrel_build_options INTERFACE ${PROJECT_SOURCE_DIR})
