# Warnings on, for every target of the project. Visual C++ and clang-cl take
# MSVC-style options (for clang-cl, -Wall would mean every warning clang has).
if(MSVC)
  add_compile_options(/W4)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
endif()
