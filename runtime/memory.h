// The runtime's global-heap blocks and the per-thread record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/state.h"

struct AllocResult {
  void* block = nullptr;
  std::int32_t error = 0; // 7 when no block could be had
};

// A zero-filled block from the global heap. Raises nothing by itself.
AllocResult runtime_alloc(std::size_t bytes);
// Frees a block; a null block is ignored. Gives 241 when the heap refuses,
// else 0. Raises nothing by itself.
std::int32_t runtime_free(void* block);

// The calling thread's record, created when missing; null when no memory is
// left.
ThreadRecord* runtime_thread_record();
// Closes what the record's slots hold, walks the thread-local release table,
// frees the record and empties the thread's slot.
void runtime_release_thread_record();
