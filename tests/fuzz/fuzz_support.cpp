#include "fuzz_support.h"

#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tev::fuzz {
namespace {

constexpr size_t kNoCap = SIZE_MAX;
size_t cap = kNoCap;

void checkAllocation(const volatile void*, size_t size) {
    if (size <= cap) return;
    const size_t allowed = cap;
    cap = kNoCap;  // printing may allocate
    std::fprintf(stderr, "==fuzz== allocation of %zu bytes, more than the %zu allowed\n", size,
                 allowed);
    __sanitizer_print_stack_trace();
    std::abort();
}

void ignoreFree(const volatile void*) {}

}  // namespace

InputFile::InputFile() {
    fd_ = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd_ < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

InputFile::~InputFile() {
    close(fd_);
}

void InputFile::set(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0 || (size > 0 && pwrite(fd_, data, size, 0) != ssize_t(size))) {
        std::perror("writing the input file");
        std::abort();
    }
}

AllocationCap::AllocationCap(size_t bytes) {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(checkAllocation, ignoreFree) != 0;
    if (!installed) {
        std::fprintf(stderr, "cannot install the allocation hook\n");
        std::abort();
    }
    cap = bytes;
}

AllocationCap::~AllocationCap() {
    cap = kNoCap;
}

}  // namespace tev::fuzz
