# hopwise_options: the warnings, -Werror under HOPWISE_WERROR and the sanitizers under
# HOPWISE_SANITIZE. Each library, program and test links it PRIVATE; the sanitizers' link options
# reach the programs through the static libraries as well.
add_library(hopwise_options INTERFACE)
target_compile_options(hopwise_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wno-unused-parameter)
if(HOPWISE_WERROR)
  target_compile_options(hopwise_options INTERFACE -Werror)
endif()
if(HOPWISE_SANITIZE)
  target_compile_options(hopwise_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(hopwise_options INTERFACE -fsanitize=address,undefined)
endif()
if(HOPWISE_FUZZ)
  # Coverage of the libraries too, so that a fuzzer is guided by what it reaches in them.
  target_compile_options(hopwise_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
