# Settings every Orvanta target shares, carried by an interface target
# rather than global flags.
add_library(orvanta_options INTERFACE)

# Plain IEEE double arithmetic everywhere: graph pixels depend on the last bit
# of every sample, so no contraction into fused multiply-adds and no fast-math.
target_compile_options(orvanta_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -ffp-contract=off>)

if(MINGW)
  # C99 printf family ("%f" of large values, NaN and infinity texts) on Windows,
  # and a self-contained executable that Wine or Windows runs without DLLs.
  target_compile_definitions(orvanta_options INTERFACE __USE_MINGW_ANSI_STDIO=1)
  target_link_options(orvanta_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(ORVANTA_SANITIZE)
  target_compile_options(orvanta_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(orvanta_options INTERFACE -fsanitize=address,undefined)
endif()

if(ORVANTA_FUZZ)
  # Coverage instrumentation for libFuzzer, with the sanitizers catching what
  # the fuzzer provokes.
  target_compile_options(orvanta_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(orvanta_options INTERFACE -fsanitize=address,undefined)
endif()
