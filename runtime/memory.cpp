// The runtime's global-heap blocks, the per-thread record and the release
// tables.
#include "runtime/memory.h"

#include <cstring>
#include <memory>

#include "runtime/errors.h"
#include "runtime/startup.h"

namespace {

// Kinds of release-table entries, in the entry's low two bits.
constexpr std::uint32_t kReleaseKindMask = 0x3;
constexpr std::uint32_t kReleaseInterface = 0;
constexpr std::uint32_t kReleaseString = 2;
constexpr std::uint32_t kReleaseVariant = 3;

// The entries of an interface's function table: QueryInterface, AddRef,
// Release.
constexpr std::size_t kReleaseMethod = 2;
using ReleaseMethod = std::uint32_t (*)(void* object);

void* load_pointer(const std::uint8_t* at) {
  void* value = nullptr;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void store_null(std::uint8_t* at) {
  void* null = nullptr;
  std::memcpy(at, &null, sizeof null);
}

void release_interface(std::uint8_t* at) {
  void* object = load_pointer(at);
  if (object == nullptr) {
    return;
  }
  // The object's first word points at its table of methods.
  const auto* table =
      static_cast<const ReleaseMethod*>(load_pointer(static_cast<std::uint8_t*>(object)));
  if (table != nullptr && table[kReleaseMethod] != nullptr) {
    table[kReleaseMethod](object);
  }
  store_null(at);
}

} // namespace

AllocResult runtime_alloc(std::size_t bytes) {
  void* block = runtime_platform().global_alloc_zeroed(bytes);
  if (block == nullptr) {
    return AllocResult{nullptr, kErrorOutOfMemory};
  }
  return AllocResult{block, 0};
}

std::int32_t runtime_free(void* block) {
  if (block == nullptr) {
    return 0;
  }
  return runtime_platform().global_free(block) == nullptr ? 0 : kErrorFatalFirst;
}

ThreadRecord* runtime_thread_record() {
  platform::Platform& platform = runtime_platform();
  const std::uint32_t index = runtime_state().tls_index;
  if (auto* existing = static_cast<ThreadRecord*>(platform.tls_get_value(index))) {
    return existing;
  }
  AllocResult block = runtime_alloc(sizeof(ThreadRecord));
  if (block.block == nullptr) {
    return nullptr;
  }
  ThreadRecord* record = std::construct_at(static_cast<ThreadRecord*>(block.block));
  platform.tls_set_value(index, record);
  return record;
}

void runtime_release_thread_record() {
  RuntimeState& state = runtime_state();
  platform::Platform& platform = runtime_platform();
  auto* record = static_cast<ThreadRecord*>(platform.tls_get_value(state.tls_index));
  if (record == nullptr) {
    return;
  }
  runtime_walk_release_table(state.release_tables.thread_locals,
                             reinterpret_cast<std::uint8_t*>(record));
  if (record->file_handle != platform::kNullHandle) {
    platform.close_handle(record->file_handle);
  }
  if (record->find_handle != platform::kNullHandle) {
    platform.find_close(record->find_handle);
  }
  record->~ThreadRecord();
  runtime_free(record); // a refusal changes nothing at this point
  platform.tls_set_value(state.tls_index, nullptr);
  if (state.main_thread_record == record) {
    state.main_thread_record = nullptr;
  }
}

void runtime_walk_release_table(const std::uint32_t* table, std::uint8_t* base) {
  if (table == nullptr || base == nullptr) {
    return;
  }
  platform::Platform& platform = runtime_platform();
  for (; *table != 0; ++table) {
    std::uint8_t* at = base + (*table & ~kReleaseKindMask);
    switch (*table & kReleaseKindMask) {
    case kReleaseInterface:
      release_interface(at);
      break;
    case kReleaseString:
      platform.sys_free_string(load_pointer(at));
      store_null(at);
      break;
    case kReleaseVariant:
      platform.variant_clear(at);
      break;
    default:
      break;
    }
  }
}
