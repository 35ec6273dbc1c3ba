# kelvane_warnings: the project's warnings, for the targets that link it
# (PRIVATE: warnings are about a target's own sources, not its users').
# GoogleTest built from source and other foreign code stay as their authors
# build them. Visual C++ and clang-cl take MSVC-style options (for clang-cl,
# -Wall would mean every warning clang has).
add_library(kelvane_warnings INTERFACE)
if(MSVC)
  target_compile_options(kelvane_warnings INTERFACE /W4)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(kelvane_warnings INTERFACE -Wall -Wextra -Wpedantic)
endif()
