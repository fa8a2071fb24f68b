# One interface target carries the language level, warnings and the strict Qt
# defines for every target of the project.
add_library(calvora_options INTERFACE)
target_compile_features(calvora_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(calvora_options INTERFACE
    -Wall -Wextra -Wpedantic
    # Money arithmetic relies on IEEE semantics and on reading the floating
    # status flags right after an operation: no fast-math, and no folding
    # or moving of operations across the flag checks.
    -fno-fast-math -frounding-math -ftrapping-math -ffp-contract=off)
target_compile_definitions(calvora_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_CAST_FROM_BYTEARRAY
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

option(CALVORA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CALVORA_SANITIZE)
    target_compile_options(calvora_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(calvora_options INTERFACE -fsanitize=address,undefined)
endif()
