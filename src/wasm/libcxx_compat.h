// Included ahead of every source of the WebAssembly build: emscripten's libc++ (LLVM 14) lacks a
// C++20 helper that the sources use; the native toolchains have it.
#pragma once

#include <memory>

#if !defined(__cpp_lib_smart_ptr_for_overwrite)
namespace std {
template <class T>
  requires is_unbounded_array_v<T>
unique_ptr<T> make_unique_for_overwrite(size_t size) {
  return unique_ptr<T>(new remove_extent_t<T>[size]);
}
}  // namespace std
#endif
