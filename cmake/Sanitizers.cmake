# KELVANE_SANITIZE: AddressSanitizer (with leak checks) and UndefinedBehaviorSanitizer
# on every target; any report aborts the program, so a test that trips one fails.
if(KELVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
