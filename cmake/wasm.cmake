# WebAssembly targets, built by the wasm preset with emscripten:
#  - qvmin and qvmin-restore (.js + .wasm): the command lines for node, on real files through
#    node's fs;
#  - qvmin-library (qvmin-library.js + .wasm): the run over the in-memory platform, for node and
#    browsers, driven by npm/lib/;
#  - npm-package: npm/ with both copied into build/<preset>/package, ready for npm pack.

target_compile_options(qvmin_core PUBLIC -include ${CMAKE_SOURCE_DIR}/src/wasm/libcxx_compat.h)
# The scanners skip runs of identifier characters and white space with SSE2 intrinsics, which
# emscripten turns into WebAssembly SIMD (node 16.4 and the browsers of 2023 on have it).
target_compile_options(qvmin_core PUBLIC -msimd128 -msse2)

# Neither waits for an asynchronous compile (the library's obfuscate() is synchronous), and the
# heap grows up to the whole 32-bit address space, as large sources need.
set(QVMIN_WASM_COMMON_LINK_OPTIONS
  -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB)

foreach(command qvmin qvmin-restore)
  target_link_options(${command} PRIVATE ${QVMIN_WASM_COMMON_LINK_OPTIONS}
    -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1)
endforeach()

add_executable(qvmin_library src/wasm/library.cc)
set_target_properties(qvmin_library PROPERTIES OUTPUT_NAME qvmin-library)
target_link_libraries(qvmin_library PRIVATE qvmin_core)
# No process handlers of its own: the library lives in its caller's node process.
target_link_options(qvmin_library PRIVATE ${QVMIN_WASM_COMMON_LINK_OPTIONS}
  -sENVIRONMENT=node,web -sMODULARIZE=1 -sEXPORT_NAME=createQvminLibrary -sFILESYSTEM=0
  -sNODEJS_CATCH_EXIT=0 -sNODEJS_CATCH_REJECTION=0
  -sEXPORTED_FUNCTIONS=_malloc,_free,_qvmin_reset,_qvmin_file_create,_qvmin_file_exists,_qvmin_file_data,_qvmin_file_size,_qvmin_printed_data,_qvmin_printed_size,_qvmin_run,_qvmin_report_bad_value)

set(QVMIN_NPM_PACKAGE ${CMAKE_BINARY_DIR}/package)
file(GLOB_RECURSE QVMIN_NPM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/npm/*)
add_custom_target(npm-package ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QVMIN_NPM_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/npm ${QVMIN_NPM_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${QVMIN_NPM_PACKAGE}/LICENSE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QVMIN_NPM_PACKAGE}/dist
  COMMAND ${CMAKE_COMMAND} -E copy
          $<TARGET_FILE_DIR:qvmin>/qvmin.js $<TARGET_FILE_DIR:qvmin>/qvmin.wasm
          $<TARGET_FILE_DIR:qvmin-restore>/qvmin-restore.js $<TARGET_FILE_DIR:qvmin-restore>/qvmin-restore.wasm
          $<TARGET_FILE_DIR:qvmin_library>/qvmin-library.js $<TARGET_FILE_DIR:qvmin_library>/qvmin-library.wasm
          ${QVMIN_NPM_PACKAGE}/dist/
  DEPENDS qvmin qvmin-restore qvmin_library ${QVMIN_NPM_SOURCES}
  COMMENT "Staging the npm package in ${QVMIN_NPM_PACKAGE}")

# The playground page: static files with the library inside, in build/<preset>/playground.
set(QVMIN_PLAYGROUND ${CMAKE_BINARY_DIR}/playground)
file(GLOB QVMIN_PLAYGROUND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/playground/*)
add_custom_target(playground ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QVMIN_PLAYGROUND}
  COMMAND ${CMAKE_COMMAND} -E copy ${QVMIN_PLAYGROUND_SOURCES} ${CMAKE_SOURCE_DIR}/npm/lib/obfuscate.js
          $<TARGET_FILE_DIR:qvmin_library>/qvmin-library.js $<TARGET_FILE_DIR:qvmin_library>/qvmin-library.wasm
          ${QVMIN_PLAYGROUND}/
  DEPENDS qvmin_library ${QVMIN_PLAYGROUND_SOURCES} ${CMAKE_SOURCE_DIR}/npm/lib/obfuscate.js
  COMMENT "Staging the playground page in ${QVMIN_PLAYGROUND}")
